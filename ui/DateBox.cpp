#include "ui/DateBox.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QToolTip>

namespace {
const QString kFormat = QStringLiteral("yyyy-MM-dd");

bool isDigitKey(const QString& t) { return t.size() == 1 && t[0] >= u'0' && t[0] <= u'9'; }
bool isSeparatorKey(const QString& t) { return t == u"-" || t == u"/" || t == u"."; }

// The pop-up is as tall as the calendar's size hint, which counts rows by the
// height of a Latin line; the Chinese day names, the styled month bar and the
// header's least row height need more, and the last week row was cut off.
class PopupCalendar : public QCalendarWidget {
public:
    explicit PopupCalendar(QWidget* parent) : QCalendarWidget(parent)
    {
        // As the box's own calendar has it.
        setObjectName(QStringLiteral("qt_datetimedit_calendar"));
        setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    }

    QSize sizeHint() const override
    {
        QSize size = QCalendarWidget::sizeHint();
        const auto* view = findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
        const auto* bar = findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
        if (view && bar && view->model()) {
            const int rows = view->model()->rowCount();
            const int row = std::max(view->verticalHeader()->minimumSectionSize(),
                                     view->fontMetrics().boundingRect(QStringLiteral("周日 28")).height() + 4);
            size.setHeight(std::max(size.height(), bar->sizeHint().height() + rows * row + 2 * view->frameWidth()));
        }
        return size;
    }
};
}  // namespace

DateBox::DateBox(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(kFormat);
    setCalendarPopup(true);
    lineEdit()->installEventFilter(this);
}

void DateBox::mousePressEvent(QMouseEvent* event)
{
    // The calendar is made when its arrow is first pressed, as the box's own
    // would be: a page shows no calendar grid among its children before.
    if (!m_calendarMade) {
        QStyleOptionComboBox option;
        option.initFrom(this);
        option.editable = true;
        option.subControls = QStyle::SC_All;
        const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
        if (arrow.contains(event->position().toPoint())) {
            m_calendarMade = true;
            setCalendarWidget(new PopupCalendar(this));
        }
    }
    QDateEdit::mousePressEvent(event);
}

bool DateBox::eventFilter(QObject* watched, QEvent* event)
{
    // A click into the box selects the whole date, as Tab does, so typing
    // replaces it; after the click's own handling, which places the cursor.
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease && m_selectOnClick) {
        m_selectOnClick = false;
        QDateEdit::eventFilter(watched, event);
        lineEdit()->event(event);
        selectAll();
        return true;
    }
    return QDateEdit::eventFilter(watched, event);
}

QDate DateBox::parseTyped(const QString& text)
{
    static const QRegularExpression eight(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    static const QRegularExpression parts(QStringLiteral("^(\\d{4})([-/.])(\\d{1,2})\\2(\\d{1,2})$"));
    QRegularExpressionMatch m = eight.match(text);
    if (m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    m = parts.match(text);
    if (m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    return QDate();
}

bool DateBox::typedComplete(const QString& text)
{
    static const QRegularExpression full(QStringLiteral("^(\\d{8}|\\d{4}[-/.]\\d{1,2}[-/.]\\d{2})$"));
    return full.match(text).hasMatch();
}

void DateBox::keyPressEvent(QKeyEvent* event)
{
    const QString t = event->text();
    if (m_typing) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            commitTyping();
            QDateEdit::keyPressEvent(event);
            return;
        case Qt::Key_Escape:
            stopTyping();
            lineEdit()->setText(date().toString(kFormat));
            event->accept();
            return;
        case Qt::Key_Backspace:
            m_typed.chop(1);
            showTyped();
            event->accept();
            return;
        default: break;
        }
        if (isDigitKey(t) || isSeparatorKey(t)) {
            if (m_typed.size() < 10)
                m_typed += t;
            showTyped();
            event->accept();
            if (typedComplete(m_typed))
                commitTyping();
            return;
        }
        // Any other key ends the typing as if the box were left.
        commitTyping();
        QDateEdit::keyPressEvent(event);
        return;
    }
    const QLineEdit* e = lineEdit();
    const bool wholeSelected = !e->text().isEmpty() && e->selectedText() == e->text();
    if (isDigitKey(t) && (m_freshNext || wholeSelected)) {
        m_freshNext = false;
        m_typing = true;
        m_typed = t;
        showTyped();
        event->accept();
        return;
    }
    m_freshNext = false;
    QDateEdit::keyPressEvent(event);
}

void DateBox::showTyped()
{
    // Unheard by the date edit, which would put its date back at once.
    const QSignalBlocker quiet(lineEdit());
    lineEdit()->setText(m_typed);
    lineEdit()->setCursorPosition(int(m_typed.size()));
}

void DateBox::stopTyping()
{
    m_typing = false;
    m_typed.clear();
}

bool DateBox::commitTyping()
{
    if (!m_typing)
        return true;
    const QString typed = m_typed;
    stopTyping();
    const QDate d = parseTyped(typed);
    if (d.isValid() && d >= minimumDate() && d <= maximumDate()) {
        setDate(d);
        lineEdit()->setText(d.toString(kFormat));
        return true;
    }
    // The last valid date stays, and the user sees why the typing went.
    lineEdit()->setText(date().toString(kFormat));
    QApplication::beep();
    QToolTip::showText(mapToGlobal(QPoint(0, height())),
                       QStringLiteral("“%1”不是有效的日期，已保留原来的日期").arg(typed), this);
    return false;
}

void DateBox::focusInEvent(QFocusEvent* event)
{
    QDateEdit::focusInEvent(event);
    m_selectOnClick = event->reason() == Qt::MouseFocusReason;
}

void DateBox::focusOutEvent(QFocusEvent* event)
{
    commitTyping();
    QDateEdit::focusOutEvent(event);
}

QValidator::State DateBox::validate(QString& input, int& pos) const
{
    if (m_typing)
        return QValidator::Intermediate;
    return QDateEdit::validate(input, pos);
}
