// Hears the desktop settings portal's changes of contrast.
#pragma once

#include <QDBusVariant>
#include <QEvent>
#include <QObject>
#include <functional>
#include <optional>

namespace quilbert::qtview {

class ContrastListener : public QObject {
  Q_OBJECT

 public:
  ContrastListener(std::function<void(bool)> onChange, std::function<void()> onPalette,
                   QObject* parent)
      : QObject(parent), onChange_(std::move(onChange)), onPalette_(std::move(onPalette)) {}

  // The desktop's palette changed (a theme applied after the portal spoke).
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Whether a setting the portal reports means high contrast; nullopt when
  // it is not one of the contrast settings.
  static std::optional<bool> contrastOf(const QString& space, const QString& key,
                                        const QVariant& value);

 public slots:
  void settingChanged(const QString& space, const QString& key, const QDBusVariant& value);

 private:
  std::function<void(bool)> onChange_;
  std::function<void()> onPalette_;
};

}  // namespace quilbert::qtview
