#include "LiveStatus.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QTimer>

#include "viewer/ui/OwnInterface.h"

namespace ui {

namespace {

const char *const kLiveProperty = "tkLiveStatus";

// A label read as a notification: its name is the text it shows.
class TLiveAccessible : public QAccessibleWidget {
  public:
    explicit TLiveAccessible(QLabel *label) : QAccessibleWidget(label, QAccessible::Notification) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name)
            return static_cast<QLabel *>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface *LiveFactory(const QString &, QObject *object) {
    auto *label = qobject_cast<QLabel *>(object);
    if (label != nullptr && label->property(kLiveProperty).toBool())
        return new TLiveAccessible(label);
    return nullptr;
}

}  // namespace

TLiveStatus::TLiveStatus(QLabel *label, int settleMs)
    : QObject(label), m_label(label), m_settle(new QTimer(this)) {
    label->setProperty(kLiveProperty, true);
    UseOwnInterface(label, LiveFactory, QAccessible::Notification);
    m_settle->setSingleShot(true);
    m_settle->setInterval(settleMs);
    connect(m_settle, &QTimer::timeout, this, &TLiveStatus::Tell);
}

TLiveStatus *TLiveStatus::Unseen(QWidget *parent, const char *objectName, int settleMs) {
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(objectName));
    label->setTextFormat(Qt::PlainText);
    auto *live = new TLiveStatus(label, settleMs);
    // Shown, so that the bus counts it as showing, but of no size: nothing to see.
    label->setGeometry(0, 0, 0, 0);
    label->show();
    return live;
}

void TLiveStatus::Announce(const QString &text) {
    m_label->setText(text);
    if (text.isEmpty())
        m_settle->stop();
    else
        m_settle->start();
}

void TLiveStatus::Tell() {
    if (m_label->text().isEmpty())
        return;
    ++m_told;
    // Appearing is what makes a screen reader speak a notification; the new name goes
    // first, so that what it reads is the text now shown.
    QAccessibleEvent named(m_label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent shown(m_label, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

bool IsLiveStatus(const QWidget *widget) {
    QAccessibleInterface *face =
        QAccessible::queryAccessibleInterface(const_cast<QWidget *>(widget));
    return face != nullptr && face->role() == QAccessible::Notification;
}

}  // namespace ui
