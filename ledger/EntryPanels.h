#pragma once
// Two pop-up panels of the entry pages: the save notice (信息提示), which a
// click closes, and the fuzzy search (模糊查询) over a date range.

#include <QDate>
#include <QGroupBox>

class QDateEdit;
class QLineEdit;

class SaveNotice : public QGroupBox {
    Q_OBJECT
public:
    explicit SaveNotice(QWidget* parent);  // starts hidden
    void popUp();

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class SearchPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit SearchPanel(QWidget* parent);  // starts hidden; both dates today

    // Opens with an empty keyword box that has the focus.
    void open();
    void setRange(const QDate& from, const QDate& to);  // without signals
    QString keyword() const;
    QDate from() const;
    QDate to() const;

signals:
    void cancelClicked();  // Button8
    void searchClicked();  // Button9

private:
    QLineEdit* m_keyword;  // Edit4
    QDateEdit* m_from;     // DateTimePicker3
    QDateEdit* m_to;       // DateTimePicker4
};
