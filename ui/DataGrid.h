#pragma once
// The program's data grid: whole-row selection, the sky-blue current row,
// fixed or fitted column widths, and an optional yellow footer row whose
// texts (fixed text or a column's "￥#.00" sum) are readable as the
// property footerTexts, one entry per visible column, exactly as painted.

#include <QHash>
#include <QTableView>

class QueryModel;

class DataGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(QStringList footerTexts READ footerTexts)
public:
    explicit DataGrid(QWidget* parent = nullptr);

    void setFooterText(int column, const QString& text);
    // The column's footer shows the sum of its Money values as "￥#.00".
    void setFooterSum(int column);
    void clearFooter();
    bool hasFooter() const { return !m_footerText.isEmpty() || !m_footerSum.isEmpty(); }
    QStringList footerTexts() const;
    QString footerText(int column) const;

    // Columns share the width of the grid.
    void setFitColumns(bool fit);
    void setRowHeight(int pixels);
    // Writes what an open cell editor holds into the model and closes it.
    void commitPendingEdit();

    void setModel(QAbstractItemModel* model) override;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void updateGeometries() override;

private:
    void layoutFooter();
    class Footer;
    Footer* m_footer;
    QHash<int, QString> m_footerText;
    QList<int> m_footerSum;
};
