#include "platform/qt/qt_folder_browser.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <deque>

#include "platform/network_listing.h"
#include "platform/qt/qt_convert.h"
#include "platform/shown_text.h"

namespace quilbert::qtview {

using platform::NetResource;

std::vector<NetResource> enumerateChildren(platform::Network& network, const NetResource* container,
                                           int& error) {
  std::vector<NetResource> all;
  error = platform::listChildren(network, container, platform::kTypeDisk, all);
  return all;
}

std::optional<std::string> fileSystemPath(const NetResource& r) {
  if (!r.remoteName) return std::nullopt;
  const std::string& name = *r.remoteName;
  // "\\server" is a server; one more separator makes a share or a folder.
  if (name.size() < 3 || name.compare(0, 2, "\\\\") != 0) return std::nullopt;
  const auto sep = name.find('\\', 2);
  if (sep == std::string::npos || sep + 1 >= name.size()) return std::nullopt;
  return name;
}

namespace {

QString displayName(const NetResource& r) {
  std::string name = r.remoteName.value_or(r.provider.value_or(""));
  if (name.size() > 2 && name.compare(0, 2, "\\\\") == 0) {
    const auto last = name.find_last_of('\\');
    name = last <= 1 ? name.substr(2) : name.substr(last + 1);
  }
  if (name.empty()) name = r.provider.value_or("?");
  return toQString(platform::shownText(name));
}

class FolderBrowserDialog : public QDialog, public forms::FolderBrowserHandle {
 public:
  FolderBrowserDialog(QWidget* parent, platform::Network* network,
                      const forms::FolderBrowseRequest& request)
      : QDialog(parent), network_(network), request_(request) {
    setObjectName(QStringLiteral("folderBrowser"));
    setWindowTitle(toQString(request.title));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    auto* instruction = new QLabel(toDisplayText(request.instruction), this);
    instruction->setWordWrap(true);
    layout->addWidget(instruction);
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    // A screen reader names the tree by the instruction above it.
    tree_->setAccessibleName(toDisplayText(request.instruction));
    instruction->setBuddy(tree_);
    layout->addWidget(tree_, 1);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setVisible(request.showStatusText);
    layout->addWidget(status_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    if (!request.okCaption.empty())
      buttons_->button(QDialogButtonBox::Ok)->setText(toQString(request.okCaption));
    if (!request.cancelCaption.empty())
      buttons_->button(QDialogButtonBox::Cancel)->setText(toQString(request.cancelCaption));
    layout->addWidget(buttons_);
    resize(360, 420);

    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { fill(item); });
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* /*previous*/) {
              // Each new selection starts with OK on; the callback may say otherwise.
              enableOk(true);
              notify(current != nullptr ? pathOf(current) : std::nullopt);
            });
    // A double click on what OK would accept accepts it.
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
      if (item == tree_->currentItem() && pathOf(item) &&
          buttons_->button(QDialogButtonBox::Ok)->isEnabled()) {
        accept();
      }
    });

    fill(nullptr);
    notify(std::nullopt);  // ready, nothing selected yet
  }

  void setStatusText(const std::string& text) override { status_->setText(toDisplayText(text)); }
  void enableOk(bool enable) override {
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(enable);
  }

  [[nodiscard]] std::optional<std::string> chosen() const {
    QTreeWidgetItem* item = tree_->currentItem();
    return item != nullptr ? pathOf(item) : std::nullopt;
  }

 private:
  static constexpr int kIndexRole = Qt::UserRole;
  static constexpr int kFilledRole = Qt::UserRole + 1;

  [[nodiscard]] std::optional<std::string> pathOf(const QTreeWidgetItem* item) const {
    const auto index = item->data(0, kIndexRole).toULongLong();
    return index < resources_.size() ? fileSystemPath(resources_[index]) : std::nullopt;
  }

  void notify(const std::optional<std::string>& selection) {
    if (request_.onSelectionChanged) request_.onSelectionChanged(*this, selection);
  }

  // Adds the children of `parent` (the top level when null), once.
  void fill(QTreeWidgetItem* parent) {
    if (network_ == nullptr) return;
    if (parent != nullptr && parent->data(0, kFilledRole).toBool()) return;
    const NetResource* container = nullptr;
    if (parent != nullptr) {
      parent->setData(0, kFilledRole, true);
      container = &resources_[parent->data(0, kIndexRole).toULongLong()];
    }
    int error = 0;
    const auto children = enumerateChildren(*network_, container, error);
    for (const NetResource& r : children) {
      auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
      item->setText(0, displayName(r));
      if (r.comment && !r.comment->empty())
        item->setToolTip(0, toQString(platform::shownText(*r.comment)));
      item->setData(0, kIndexRole, static_cast<qulonglong>(resources_.size()));
      const bool container =
          (r.usage & platform::kUsageContainer) != 0 || r.displayType == platform::kDisplayShare;
      item->setChildIndicatorPolicy(container ? QTreeWidgetItem::ShowIndicator
                                              : QTreeWidgetItem::DontShowIndicator);
      resources_.push_back(r);
    }
    if (parent != nullptr && children.empty()) {
      parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
  }

  platform::Network* network_;
  const forms::FolderBrowseRequest& request_;
  QTreeWidget* tree_ = nullptr;
  QLabel* status_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
  std::deque<NetResource> resources_;  // a deque: items keep their address as it grows
};

}  // namespace

std::optional<std::string> runFolderBrowser(QWidget* parent, platform::Network* network,
                                            const forms::FolderBrowseRequest& request) {
  FolderBrowserDialog dialog(parent, network, request);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.chosen();
}

}  // namespace quilbert::qtview
