#pragma once
// The program's date box, for every date field and every grid date cell:
// a QDateEdit ("yyyy-MM-dd", calendar pop-up, steppers and Up/Down as
// usual) that also takes a whole date typed over it. A plain QDateEdit
// feeds typed digits section by section, so "2025-12-31" typed over
// 2026-12-09 keeps the year and "2025-02-30" lands as 2026-02-03. Here, a
// digit typed while the whole text is selected (as it is after a click or
// Tab into the box, or when a grid cell opens the editor with the key)
// starts a fresh date: the keys are collected as typed and read as a whole
// on Enter, Tab, leaving the box, or as soon as the date cannot grow
// longer. 2025-12-31, 2025/12/31, 2025.12.31, 20251231 and 2025-1-5 are
// read; a date that does not exist is refused visibly (a beep and a tip
// under the box) and the box keeps its last valid date. A typed year alone over a
// selected year section works as Qt has it.

#include <QDateEdit>

// No Q_OBJECT of its own: to a test, a style sheet or anything asking the
// meta-object, the box is the QDateEdit it always was.
class DateBox : public QDateEdit {
public:
    explicit DateBox(QWidget* parent = nullptr);

    // A typed whole date: year of four digits, month and day of one or two
    // separated by '-', '/' or '.', or eight digits. Null when it is not one
    // (also for 2025-02-30).
    static QDate parseTyped(const QString& text);
    // The typed text can take no further key.
    static bool typedComplete(const QString& text);

    // The next digit starts a fresh date whatever is selected (a grid cell
    // editor opened by that key).
    void startFreshOnNextKey() { m_freshNext = true; }
    bool isTyping() const { return m_typing; }
    // The text typed and not yet read.
    QString typedText() const { return m_typed; }
    // Reads what is being typed now (before a grid takes the date): the date
    // is taken, or refused and the last valid one kept. False when refused.
    bool commitTyping();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    void stopTyping();
    void showTyped();

    bool m_typing = false;
    bool m_freshNext = false;
    bool m_selectOnClick = false;
    bool m_calendarMade = false;
    QString m_typed;
};
