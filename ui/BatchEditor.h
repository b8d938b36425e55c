#pragma once
// The one way a batch grid adds, deletes and saves rows, and the one place
// that decides what a failed save tells the user. A page declares its grid,
// model, key column, messages and the writes that go with the batch; the
// editor runs the buttons:
//   增加  a blank row (with the page's preset values), made current, with
//         the keyboard in it and, where the page wants, its editor open;
//   删除  an unsaved row just goes (where the page has it so); a saved one: the page's refusals, the
//         page's question, pending edits saved or dropped, the page's named
//         delete, the rows read again;
//   保存  the open editor committed, "是否确定保存数据？" (or not, where the
//         page saves without asking), then the pending rows and the page's
//         extra write in one transaction, the rows read again so they carry
//         their ids; "no" reads the rows again as they are stored.
// Before anything is written, an amount over the program's bound (as on the
// entry pages) is refused with "对不起，金额超出范围".
// A failed save keeps every edit in the grid and is sorted by the error
// value alone: a file that cannot be written shows the database's message,
// a row deleted meanwhile the page's "已被删除" text, a refused row the
// page's fixed message. The page's own write failing shows the database's
// message: it is nothing the user typed.
// The editor registers with its page, which answers the main window's
// question about unsaved edits through it.

#include "data/DbError.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>

class BatchModel;
class Database;
class DataGrid;
class Page;

class BatchEditor : public QObject {
    Q_OBJECT
public:
    // How a refused row is told.
    enum class Box {
        Database,        // the database's message (Msg::dbError)
        Notice,          // the page's text, information icon, application title
        Error,           // the page's text, critical icon
        InfoWithDetail,  // the page's text, the database's message under it
    };
    enum class SettleOrder { BeforeQuestion, AfterQuestion };

    struct Setup {
        // What the rows are, for the labels of undo and the recycle bin
        // ("保存账户 3 行", "删除账户 现金").
        QString subject;
        int keyColumn = 0;
        // 增加: the cell made current, whether the grid takes the keyboard
        // and whether the cell's editor opens.
        int addColumn = 1;
        bool focusOnAdd = true;
        bool editOnAdd = true;
        // Values a new row starts with; they count as untouched.
        QHash<int, QVariant> preset;
        bool askBeforeSave = true;
        // Money typed here is never below zero (transfers, loans): a negative
        // amount is out of range like an oversized one.
        bool amountsPositive = false;
        Box refusedBox = Box::Database;
        QString refused;
        // A row deleted meanwhile; empty: told like a refused row.
        QString vanished;
        // 删除 on an unsaved row drops it; false: it is left to mayDelete
        // (which may tell why nothing happens) and stays.
        bool dropUnsavedRow = true;
        // When pending edits are settled on 删除: before or after the page's
        // question.
        SettleOrder settleOrder = SettleOrder::AfterQuestion;

        // Run first by every button; false stops it (a listing still to come).
        std::function<bool()> ready;
        // Checks before anything is written; shows its own refusal, false
        // stops the save (the edits stay).
        std::function<bool()> check;
        // Written in the batch's transaction, after the rows.
        std::function<bool(Database&, DbError*)> extraWrite;
        // Reads the rows again; shows a read that fails. Required.
        std::function<bool()> reread;
        // The page's own answer to a failed save; true when it told the user.
        std::function<bool(const DbError&)> explain;
        // 删除 of a saved row (or of none: row -1): the page's refusals,
        // shown by the page; false stops.
        std::function<bool(int row)> mayDelete;
        // The page's question before a saved row goes.
        std::function<bool(int row)> askDelete;
        // Deletes the saved row with this key through the page's named
        // delete; shows its own failure. Required for 删除.
        std::function<bool(const QVariant& key)> removeSaved;
        // The label of deleting this saved row; default: the subject and
        // the text of the row's addColumn cell.
        std::function<QString(int row)> deleteLabel;
        // After a delete; default: reread.
        std::function<void()> afterDelete;
        // The row 删除 acts on; default: the grid's current row.
        std::function<int()> deleteRow;
    };

    BatchEditor(Page* page, DataGrid* grid, BatchModel* model, Setup setup);

    // A Setup::removeSaved over a named delete of data/; its failure shows
    // the database's message.
    static std::function<bool(const QVariant&)> deleteThrough(QWidget* page,
                                                              std::function<bool(Database&, qint64, DbError*)> remove);

    // The buttons.
    void add();
    void remove();
    void saveClicked();

    // Writes the pending edits without asking; on failure tells why and
    // keeps them.
    bool save();
    // Before something reads the rows again: unsaved edits are saved or let
    // go, as the user answers. False when a save the user asked for failed.
    bool settle();
    // Something typed and not saved (a blank row the page added is not).
    bool hasUnsavedEdits() const;
    void dropEdits();

    BatchModel* model() const { return m_model; }
    DataGrid* grid() const { return m_grid; }

private:
    void tellFailure(const DbError& error, bool extraFailed);
    QString subject() const;
    QString defaultDeleteLabel(int row) const;
    bool amountsInRange() const;
    void discard();

    Page* m_page;
    DataGrid* m_grid;
    BatchModel* m_model;
    Setup m_s;
};
