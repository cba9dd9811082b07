#include "statusnotices.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>

namespace {
const QString noticesName = QStringLiteral("statusNotices");
// No notice asks for more than this; the clock and the others keep their room.
constexpr int widestNotice = 420;

// A label that gives up width before anything overlaps: it draws as much of
// its text as fits, ending in "…".
class NoticeLabel : public QLabel
{
public:
    using QLabel::QLabel;

    QSize sizeHint() const override
    {
        QSize size = QLabel::sizeHint();
        size.setWidth(std::min(size.width(), widestNotice));
        return size;
    }
    QSize minimumSizeHint() const override
    {
        QSize size = QLabel::minimumSizeHint();
        size.setWidth(
            std::min(size.width(), fontMetrics().horizontalAdvance(QLatin1Char('M')) * 6));
        return size;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        const QString shown =
            fontMetrics().elidedText(text().simplified(), Qt::ElideRight, area.width());
        style()->drawItemText(&painter, area, Qt::AlignLeft | Qt::AlignVCenter, palette(),
                              isEnabled(), shown, foregroundRole());
    }
};
} // namespace

StatusNotices::StatusNotices(QStatusBar *bar) : QWidget(bar), m_layout(new QHBoxLayout(this))
{
    setObjectName(noticesName);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(12);
    bar->addPermanentWidget(this);
}

StatusNotices *StatusNotices::of(QStatusBar *bar)
{
    if (auto *notices = bar->findChild<StatusNotices *>(noticesName, Qt::FindDirectChildrenOnly))
        return notices;
    return new StatusNotices(bar);
}

QLabel *StatusNotices::label(const QString &topic, const QString &objectName)
{
    QLabel *&label = m_labels[topic];
    if (!label) {
        label = new NoticeLabel(this);
        label->hide();
        m_layout->addWidget(label);
    }
    if (!objectName.isEmpty())
        label->setObjectName(objectName);
    return label;
}

void StatusNotices::set(const QString &topic, const QString &text, Tone tone)
{
    QLabel *shown = label(topic);
    QPalette colours = palette();
    if (tone == Tone::Alarm)
        colours.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    shown->setPalette(colours);
    shown->setText(text);
    shown->setToolTip(text);
    shown->setVisible(!text.isEmpty());
}

void StatusNotices::setClickAction(const QString &topic, const std::function<void()> &action)
{
    QLabel *target = label(topic);
    if (action) {
        m_actions.insert(target, action);
        target->installEventFilter(this);
        target->setCursor(Qt::PointingHandCursor);
    } else {
        m_actions.remove(target);
        target->removeEventFilter(this);
        target->unsetCursor();
    }
}

bool StatusNotices::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // A copy: the action may replace itself.
        const std::function<void()> action = m_actions.value(watched);
        if (action) {
            action();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
