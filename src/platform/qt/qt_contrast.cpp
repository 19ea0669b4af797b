// High contrast on the Linux desktop: the settings portal tells it, GNOME's
// accessibility key on today's desktops and the portal's own appearance key
// on newer ones; the windows follow it at start and whenever it changes.
#include "platform/qt/qt_contrast.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <optional>

#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_toolkit.h"

namespace quilbert::qtview {

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");

struct ContrastKey {
  QString space, key;
};
const ContrastKey kKeys[] = {
    {QStringLiteral("org.gnome.desktop.a11y.interface"), QStringLiteral("high-contrast")},
    {QStringLiteral("org.freedesktop.appearance"), QStringLiteral("contrast")},
};

// The portal wraps the value in a variant (or two, by its version): a true
// boolean or the appearance's 1 ("higher contrast") both mean high.
bool meansHigh(QVariant v) {
  // Two wrappings at most in any portal; a deeper value is not a setting.
  for (int depth = 0; v.userType() == qMetaTypeId<QDBusVariant>(); ++depth) {
    if (depth == 4) return false;
    v = v.value<QDBusVariant>().variant();
  }
  if (v.userType() == QMetaType::Bool) return v.toBool();
  return v.toUInt() == 1;
}

}  // namespace

std::optional<bool> ContrastListener::contrastOf(const QString& space, const QString& key,
                                                 const QVariant& value) {
  for (const ContrastKey& k : kKeys) {
    if (k.space == space && k.key == key) return meansHigh(value);
  }
  return std::nullopt;
}

void ContrastListener::settingChanged(const QString& space, const QString& key,
                                      const QDBusVariant& value) {
  if (const auto high = contrastOf(space, key, value.variant())) onChange_(*high);
}

bool ContrastListener::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ApplicationPaletteChange && watched == qApp) onPalette_();
  return false;
}

void QtToolkit::followDesktopContrast() {
  QObject* owner = notifierOwner_.get();
  auto* listener = new ContrastListener([this](bool high) { setHighContrast(high); },
                                        [this] {
                                          if (highContrast_) {
                                            for (QtFormView* view : views_) view->applyColors();
                                          }
                                        },
                                        owner);
  qApp->installEventFilter(listener);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  // Asked without waiting: a desktop without the portal answers nothing.
  for (const ContrastKey& k : kKeys) {
    QDBusMessage read =
        QDBusMessage::createMethodCall(kPortal, kPath, kSettings, QStringLiteral("Read"));
    read << k.space << k.key;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read, 2000), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [this](QDBusPendingCallWatcher* w) {
                       const QDBusPendingReply<QDBusVariant> reply = *w;
                       if (reply.isValid() && meansHigh(reply.value().variant())) {
                         setHighContrast(true);
                       }
                       w->deleteLater();
                     });
  }
  // Changed while the program runs: followed at once.
  bus.connect(kPortal, kPath, kSettings, QStringLiteral("SettingChanged"), listener,
              SLOT(settingChanged(QString, QString, QDBusVariant)));
}

void QtToolkit::setHighContrast(bool on) {
  if (on == highContrast_) return;
  highContrast_ = on;
  for (QtFormView* view : views_) view->applyColors();
}

}  // namespace quilbert::qtview
