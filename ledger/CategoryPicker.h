#pragma once
// The entry pages' category picker (项目分类): a pop-up panel over the form
// with the top-level categories of the page's class and a list of
// sub-categories to pick from, by name, quick code or top-level category.

#include "ui/QueryModel.h"

#include <QGroupBox>

class DataGrid;
class LookupCombo;
class QLineEdit;

class CategoryPicker : public QGroupBox {
    Q_OBJECT
public:
    // Starts hidden. classLetter: 'S' or 'Z'.
    CategoryPicker(const QString& classLetter, QWidget* parent);

    // Fills the top-level list (nothing chosen); false with the database's
    // message on failure.
    [[nodiscard]] bool loadTopLevel(DbError* error);
    // Opens with every sub-category of the class.
    void openAll();
    // Opens with the sub-categories whose name or quick code contains `text`.
    void openMatching(const QString& text);
    DataGrid* list() const { return m_grid; }
    // Keyboard use from the category box: move the highlighted row, take it.
    void moveHighlight(int delta);
    bool takeHighlighted();  // false when no row is highlighted
    // While open, the picker takes Up, Down, Tab, Enter and Escape typed in
    // `box`; Tab and Enter take the highlighted row and move on to `next`.
    void takeKeysOf(QLineEdit* box, QWidget* next);

signals:
    // A sub-category was taken: its name and the id of its top-level category.
    void chosen(qint64 parentId, const QString& name);

public slots:
    void DBLookupComboboxEh3Change();
    void DBGridEh2CellClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open(const QString& where, const Binds& binds);
    bool boxKey(int key);

    QString m_class;
    LookupCombo* m_topLevel;  // DBLookupComboboxEh3
    QueryModel* m_model;
    DataGrid* m_grid;  // DBGridEh2
    QLineEdit* m_box = nullptr;
    QWidget* m_next = nullptr;
};
