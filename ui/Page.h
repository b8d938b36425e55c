#pragma once
// The base of every page shown in the main window's content panel: its
// objectName, the 773 x 486 size, its ground, the first-show routine, and
// one-line helpers that place a control. The base creates no widget; each
// helper creates exactly one.

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

class BatchEditor;
class DataGrid;
class LookupCombo;
class QAbstractItemModel;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Query;

// Runs `routine` once, when `widget` is first shown (inside that show event).
void onFirstShow(QWidget* widget, std::function<void()> routine);

class Page : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 773, kHeight = 486;

    // A button with its caption at the given place.
    static QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& r);
    // A plain-text label (user text shows exactly as typed); name optional.
    static QLabel* label(QWidget* parent, const QString& text, const QRect& r, const char* name = nullptr);
    // A line edit; maxLength (in characters) 0 keeps Qt's default, the tip is its tool tip, a
    // null rectangle keeps Qt's default geometry (boxes that stay hidden).
    static QLineEdit* lineEdit(QWidget* parent, const char* name, const QRect& r, int maxLength = 0,
                               const QString& tip = QString());
    // A date box showing "yyyy-MM-dd" with a calendar, set to today.
    static QDateEdit* dateEdit(QWidget* parent, const char* name, const QRect& r);
    // A look-up combo box (name shown, key stored) with its tool tip.
    static LookupCombo* lookupCombo(QWidget* parent, const char* name, const QRect& r, const QString& tip = QString());
    // A data grid showing `model`.
    static DataGrid* grid(QWidget* parent, const char* name, const QRect& r, QAbstractItemModel* model);
    // A titled group box.
    static QGroupBox* groupBox(QWidget* parent, const QString& title, const char* name, const QRect& r);

    // Unsaved edits, for whoever would let the page go (the main window
    // asks before it destroys a page or closes): whether there are any, and
    // saving them (false: a save was refused, the page and its edits stay)
    // or letting them go. The batch grids' editors answer by default.
    virtual bool hasUnsavedEdits() const;
    virtual bool saveEdits();
    virtual void dropEdits();
    // Writes what the page saves without asking (the diary's entry being
    // typed), before the file changes under it; false when that failed.
    virtual bool writeTyping() { return true; }
    // Called by each batch editor the page holds, in the order they are to
    // be saved.
    void addBatchEditor(BatchEditor* editor) { m_editors.append(editor); }

signals:
    // Asks the main window to show another page in this one's place.
    void openPageRequested(const std::function<QWidget*()>& factory);

public slots:
    // Runs once, at the page's first show.
    virtual void FormShow() {}

protected:
    // ground: the colour the page fills itself with; none leaves the main
    // window's content picture visible.
    Page(const char* objectName, QWidget* parent, std::optional<QColor> ground = std::nullopt);

    // Shows the database's message through the general error display when
    // `q` failed; true when it did not.
    bool readOk(const Query& q);

private:
    QList<BatchEditor*> m_editors;
};
