#pragma once
// The one way tests drive pages: find controls by objectName, click and
// type, read labels, grids and charts, build records, and set up a page's
// world (database, clock, message boxes) in one line.
//
// A helper that cannot do its job (a control that is missing or of another
// class, a grid row that is not there, a statement that fails, an unknown
// category) fails the test and stops it: see tests/support/Failure.h. Every
// test function that uses the driver wraps its body in TEST_BEGIN/TEST_END.
//
// Controls are found among all descendants of the given root; a name must
// match exactly one control of the class, so an old page left behind or a
// duplicated name is a failure, not a guess.
//
// Helpers read what the user sees: grid cells are the model's DisplayRole,
// footers the grid's footerTexts property, charts the values kept in their
// series.

#include "tests/support/BoxAnswerer.h"
#include "tests/support/Failure.h"
#include "tests/support/TestDb.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class DataGrid;
class QAbstractAxis;
class QChartView;

namespace Driver {

namespace detail {
QObject* findOne(QObject* root, const QString& name, const QMetaObject& type, const SourceLocation& where);
QAbstractAxis* valueAxis(QObject* root, const QString& chart, const QMetaObject& type, const SourceLocation& where);
}  // namespace detail

// ---------------------------------------------------------------- controls

// The one descendant of `root` named `name` that is a T. Never null: a
// missing, ambiguous or differently typed control fails the test.
template <class T> T* find(QObject* root, const QString& name, DRIVER_HERE)
{
    return static_cast<T*>(detail::findOne(root, name, T::staticMetaObject, where));
}

// Clicks a button (QPushButton, QCheckBox, ...) with the left mouse button.
void click(QObject* root, const QString& button, DRIVER_HERE);
// Clicks a ClickLabel (navigation entries, picture buttons) in its middle.
void clickLabel(QObject* root, const QString& label, DRIVER_HERE);
// Types `text` key by key where the control's cursor is, as a user would;
// key filters and validators see every key.
void typeText(QObject* root, const QString& control, const QString& text, DRIVER_HERE);
// Replaces a QLineEdit's text at once (no key events).
void setText(QObject* root, const QString& lineEdit, const QString& text, DRIVER_HERE);
QString labelText(QObject* root, const QString& label, DRIVER_HERE);
QString editText(QObject* root, const QString& lineEdit, DRIVER_HERE);
void setDate(QObject* root, const QString& dateEdit, const QDate& date, DRIVER_HERE);

// ---------------------------------------------------------------- grids

DataGrid* grid(QObject* root, const QString& name, DRIVER_HERE);
int rowCount(QObject* root, const QString& grid, DRIVER_HERE);
// The text shown in a cell; a row or column that is not there fails.
QString cell(QObject* root, const QString& grid, int row, int column, DRIVER_HERE);
// Every row's text of one column, top to bottom.
QStringList column(QObject* root, const QString& grid, int column, DRIVER_HERE);
// Every row as its first `columns` cells joined by blanks, top to bottom.
QStringList rowTexts(QObject* root, const QString& grid, int columns, DRIVER_HERE);
// The footer row, one entry per visible column, as painted.
QStringList footerTexts(QObject* root, const QString& grid, DRIVER_HERE);
// Makes the row current (on its first visible column) and clicks it, as a
// mouse click on the row does.
void clickRow(QObject* root, const QString& grid, int row, DRIVER_HERE);
// A real press (and release) of a mouse button on a cell.
void pressCell(QObject* root, const QString& grid, int row, int column, Qt::MouseButton button = Qt::LeftButton,
               DRIVER_HERE);
// Moves the current cell without a click, as the arrow keys do.
void selectCell(QObject* root, const QString& grid, int row, int column, DRIVER_HERE);
// Makes the cell current and writes `value` into it the way the grid's
// editor hands it to the model (text as typed; a key for a look-up column).
// A value the model refuses fails.
void editCell(QObject* root, const QString& grid, int row, int column, const QVariant& value, DRIVER_HERE);

// ---------------------------------------------------------------- charts
// The first series of a chart, in reading order: bars left to right, or top
// to bottom for horizontal bars. A chart without series or bars reads as
// empty; a chart whose first series is of another kind fails.

QChartView* chart(QObject* root, const QString& name, DRIVER_HERE);
QList<qreal> barValues(QObject* root, const QString& chart, DRIVER_HERE);
// The names on the category axis of the bars. Labels read as painted (Qt
// Charts paints them as HTML).
QStringList barLabels(QObject* root, const QString& chart, DRIVER_HERE);
QList<qreal> pieValues(QObject* root, const QString& chart, DRIVER_HERE);
QStringList pieLabels(QObject* root, const QString& chart, DRIVER_HERE);
// The value axis of the bars (QValueAxis, QLogValueAxis); another kind fails.
template <class Axis> Axis* valueAxis(QObject* root, const QString& chart, DRIVER_HERE)
{
    return static_cast<Axis*>(detail::valueAxis(root, chart, Axis::staticMetaObject, where));
}

// ---------------------------------------------------------------- data
// Rows written straight into the shared connection with bound parameters.
// Amounts are yuan as typed ("12.5"). Each returns the new row's id.

// A record of the named sub-category, of the category's class (S or Z).
// The remark is '' unless given; a null QString writes NULL.
qint64 addRecord(const QString& category, const QString& amount, const QDate& date,
                 const QString& remark = QStringLiteral(""), qint64 member = 1, qint64 account = 1, DRIVER_HERE);

// Any record, also the odd ones a page would not write.
struct Record {
    qint64 categoryId = 0;  // must exist
    QString amount = {};
    QDate date = {};
    QString cls = {};     // "S" or "Z"; null: the category's own class
    QString remark = {};  // null: NULL
    qint64 member = 1;
    qint64 account = 1;
};
qint64 addRecord(const Record& record, DRIVER_HERE);

// A category of class "S" or "Z": top level without a parent, else under
// the named top-level category. A null quick code writes NULL.
qint64 addCategory(const QString& name, const QString& cls, const QString& parent = QString(),
                   const QString& pinyin = QString(), DRIVER_HERE);
// An account with its opening amount; the totals are left to the program.
qint64 addAccount(const QString& name, const QString& opening = QStringLiteral("0"), const QString& remark = QString(),
                  DRIVER_HERE);
qint64 addMember(const QString& name, const QString& password = QString(), DRIVER_HERE);
// The id of a category by its (unique) name; an unknown name fails.
qint64 categoryId(const QString& name, DRIVER_HERE);

// ---------------------------------------------------------------- fixture

// A page test's world, made by its first line and undone when it goes:
// a fresh delivered database opened on the shared connection (current
// directory in its folder, as at the program's start), the clock fixed, and
// a BoxAnswerer that presses OK in every message box and records it.
class PageFixture {
public:
    // 2012-05-20 12:00, a Sunday in May.
    static QDateTime defaultNow();

    explicit PageFixture(const QDateTime& now = defaultNow(), const BuildOptions& options = BuildOptions(),
                         DRIVER_HERE);
    ~PageFixture();
    PageFixture(const PageFixture&) = delete;
    PageFixture& operator=(const PageFixture&) = delete;

    void setNow(const QDateTime& now);
    // Clicks a button and returns the texts of the boxes it brought up.
    QStringList boxesAfterClick(QObject* root, const QString& button, DRIVER_HERE);

    TestDb db;
    BoxAnswerer boxes;
};

}  // namespace Driver
