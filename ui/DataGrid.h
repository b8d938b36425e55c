#pragma once
// The program's data grid: whole-row selection, the sky-blue current row
// (RGB 166,202,240, except the focused cell while the grid has focus), fixed
// or fitted column widths, row numbers, and an optional yellow footer row
// whose texts (fixed text or a column's "￥#.00" sum) are readable as the
// property footerTexts, one entry per visible column, exactly as painted.
// Column titles come from the model; hide columns with setColumnHidden().
// With a BatchModel it edits: look-up columns in a combo box (by key), dates
// in a calendar date edit, amounts in a line edit that accepts only digits,
// sign and point, text within the column's maxLength.

#include <QHash>
#include <QSet>
#include <QTableView>
#include <functional>

class QueryModel;

class DataGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(QStringList footerTexts READ footerTexts NOTIFY footerTextsChanged)
public:
    explicit DataGrid(QWidget* parent = nullptr);

    void setFooterText(int column, const QString& text);
    // The column's footer shows the sum of its Money values as "￥#.00".
    void setFooterSum(int column);
    void clearFooter();
    bool hasFooter() const { return !m_footerText.isEmpty() || !m_footerSum.isEmpty(); }
    QStringList footerTexts() const;
    QString footerText(int column) const;
    bool isFooterSum(int column) const { return m_footerSum.contains(column); }
    static QColor footerColour();

    // Columns share the width of the grid.
    void setFitColumns(bool fit);
    // Fixed widths in pixels, from column 0 on (hidden columns included).
    void setColumnWidths(const QList<int>& widths);
    // The same widths, widened where a title, cell or footer would be cut;
    // the fill column, if any, then takes what is left of the grid's width.
    void setColumnWidthsAtLeast(const QList<int>& widths, int fillColumn = -1);
    void setRowHeight(int pixels);
    // Selecting a cell selects its whole row (the default) or only the cell.
    void setWholeRowSelection(bool whole);
    // An indicator column left of the cells with the row numbers (1, 2, ...),
    // taken from the model's vertical header (DisplayRole).
    void setRowNumbers(bool show);
    // A press of any mouse button makes the cell current and opens its
    // editor (pressed() is emitted for every button).
    void setEditOnAnyPress(bool on);
    // Writes what an open cell editor holds into the model and closes it.
    void commitPendingEdit();
    // Makes the cell current without opening its editor, so the keyboard
    // focus stays where it is.
    void setCurrentCell(const QModelIndex& index);
    // Asked before the current row moves to another one (by mouse, keys or
    // code); false keeps it where it is. Not asked when the model resets.
    void setRowGuard(std::function<bool(int fromRow, int toRow)> guard);

    // A look-up column whose editor drops down a table of key and name under
    // these titles. A character typed on the cell opens the list at the first
    // name starting with it; choosing an entry (Return, a click) takes it.
    void setLookupList(int column, const QString& keyTitle, const QString& nameTitle);
    QStringList lookupListTitles(int column) const { return m_lookupLists.value(column); }
    // The editable cells of the column show their editor's drop-down button
    // at all times; a click on it opens the editor with its list or calendar.
    void setEditButton(int column, bool shown = true);
    bool hasEditButton(int column) const { return m_editButtons.contains(column); }
    // The column's editor takes no input method: amounts are typed directly.
    void setInputMethodClosed(int column, bool closed = true);
    bool isInputMethodClosed(int column) const { return m_noInputMethod.contains(column); }
    // Where a cell's drop-down button sits.
    static QRect editButtonRect(const QRect& cell);

    void setModel(QAbstractItemModel* model) override;

signals:
    // The model changed, so the footer texts may have.
    void footerTextsChanged();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void updateGeometries() override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void layoutFooter();
    class Footer;
    class GuardedSelection;
    Footer* m_footer;
    std::function<bool(int, int)> m_rowGuard;
    bool m_rowKept = false;  // the guard refused a move since the last mouse press
    QHash<int, QString> m_footerText;
    QList<int> m_footerSum;
    bool m_editOnAnyPress = false;
    QHash<int, QStringList> m_lookupLists;
    QSet<int> m_editButtons;
    QSet<int> m_noInputMethod;
};
