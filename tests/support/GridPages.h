#pragma once
// "A row on page X" for the pages whose grid is edited in batches (and the
// diary, saved the same way): the page, its grid and buttons, the columns
// that take free text with their limits, and a valid row as a user types it
// (or, for a bulk batch, as the grid's editor hands it to the model).
//
// Every valid row carries a tag in one text column (the name where the page
// wants a unique one), so a test can count it in the file afterwards.

#include "tests/support/Failure.h"

#include <QList>
#include <QString>
#include <functional>

class BatchModel;
class QWidget;

namespace GridPages {

struct TextColumn {
    const char* title;  // for data row names
    int column;
    const char* field;  // in the page's table
    int limit;          // characters; 0: none
};

struct GridPage {
    const char* name;        // "accounts", ...
    const char* entry;       // the main window's navigation label that opens it
    const char* objectName;  // the page's
    std::function<QWidget*()> make;
    const char* grid;
    const char* add;  // null: the grid's rows are there already (budget)
    const char* save;
    QString table;
    const char* tagField;
    QString valid;     // what else a valid row holds, as a condition on its fields
    QString together;  // counts the rows that go with the batch of rows tagged LIKE '%1'; must equal them
    QList<TextColumn> texts;
    // The statement that lists the grid's rows in its order; %1 is the field.
    QString rows;
    // Makes the page show the grid (a top category chosen for the sub-categories).
    std::function<void(QWidget*)> open;
    // Types a new valid row carrying `tag`; returns its row.
    std::function<int(QWidget*, const QString& tag)> typeRow;
    // The same row written straight into the model.
    std::function<void(BatchModel*, int row, const QString& tag)> fill;
    // The text the row shows in a text column (the grid's cell unless set).
    std::function<QString(QWidget*, int row, int column)> shown;
};

const QList<GridPage>& all();
const GridPage& page(const QString& name);

// How many valid rows tagged `tag` (a LIKE pattern) the file holds.
QString countSql(const GridPage& page, const QString& tag);

// The text column that carries the tag.
int tagColumn(const GridPage& page);

// The page made and shown, ready for typing.
QWidget* open(const GridPage& page, DRIVER_HERE);
QString shown(const GridPage& page, QWidget* w, int row, int column, DRIVER_HERE);
// The row's text is in the grid and not yet saved.
bool pendingRowHolds(const GridPage& page, QWidget* w, int row, int column, const QString& text, DRIVER_HERE);

}  // namespace GridPages
