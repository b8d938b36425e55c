#pragma once
// The main window: own title bar, header entries, navigation column, the
// content panel that shows exactly one page at a time, footer and clock.

#include "app/Pages.h"

#include <QList>
#include <QWidget>
#include <functional>

class ClickLabel;
class QLabel;
class QThread;
class QTimer;

// One entry of the header or the navigation column that opens a page.
struct NavEntry {
    // Header entries reset the highlight; main entries turn red; the others bold.
    enum Kind { Header, Main, Sub };
    const char* name;  // objectName of the entry
    const char* caption;
    Kind kind;
    int x, y, width;      // header entries: only x; their y and size are fixed
    PageFactory factory;  // empty: a module this build does not carry; the entry does nothing
    bool recalcFirst;     // rebuild the account totals first and stop when that fails
    bool silent;          // a page that cannot be made shows no "ddd"
};

// The program's entries, in the order they are created.
QList<NavEntry> defaultNavigation();

struct MainWindowOptions {
    bool showLogin = true;     // false: no login dialog (tests and screenshots)
    bool exitAtLogin = false;  // start-up benchmark: end as soon as the login shows
    QList<NavEntry> navigation = defaultNavigation();
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(bool showLogin = true, QWidget* parent = nullptr);
    explicit TForm1(const MainWindowOptions& options, QWidget* parent = nullptr);
    ~TForm1() override;

    // Replaces the page in PnlShow by a new one; "ddd" when it cannot be made.
    bool OpenPage(const PageFactory& factory);
    void ClosePage();
    void ResetNavHighlight();
    void LoadSkin();
    // Rebuilds the account totals; a failure shows the database's message.
    bool RecalcAccountTotals();
    // The page shown now (null when none).
    QWidget* currentPage() const;
    // Opens the first page for a start page code ("1".."5").
    void OpenStartPage(const QString& code);
    // The login passed and the first page was asked for: the household
    // worked with the program, so its end writes the automatic backup.
    bool sessionStarted() const { return m_sessionStarted; }

public slots:
    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void Label1Click();
    void Label2Click();
    void Label3Click();
    void Label4Click();
    void Label5Click();
    void Label6Click();
    void Label28Click();
    void Label9Click();
    void Label10Click();
    void Label11Click();
    void Label16Click();
    void Label12Click();
    void Label13Click();
    void Label15Click();
    void Label26Click();
    void Label18Click();
    void Label19Click();
    void Label20Click();
    void Label22Click();
    void Label24Click();
    void Label23Click();
    void Label8Click();
    // 撤销 / Ctrl+Z and Ctrl+Y: the newest action undone, or the one undone
    // last done again, after the user's yes; the page shown is made anew.
    void Label30Click();
    void undoLatest();
    void redoLatest();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Unsaved edits of the page shown are asked about first.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTitleBar();
    void buildHeader();
    void buildNavigation();
    void buildContentAndFooter();
    ClickLabel* addEntry(const NavEntry& e);
    // One entry clicked: recalculation where needed, the page, the highlight.
    void navigate(const char* name);
    // The file was replaced under the connection (a restore by another copy
    // of the program): says so once and ends the program. True then.
    bool endIfFileReplaced();
    const NavEntry* entry(const char* name) const;
    bool createPage(const PageFactory& factory);
    // Before the page shown goes: its unsaved edits are saved or dropped as
    // the user answers "是否确定保存数据？". False when a save the user asked
    // for was refused: the page and its edits stay.
    bool mayLeavePage();
    void openUrl(const QString& url);
    // Tells of an automatic backup that failed at the last end.
    void reportAutoBackupFailure();
    // After the login: PRAGMA quick_check of the file on a worker thread's
    // own connection; damage is told once, with the newest sound
    // automatic backup to restore from.
    void startFileCheck();
    void damageFound(const QString& findings, const QString& backup);
    // The records' monthly sums found not to count every record: built anew.
    void sumsStale();
    void undoOrRedo(bool undo);
    // Ctrl+Z / Ctrl+Y in this window, unless a text field has its own to undo.
    bool undoKey(QObject* watched, QEvent* event);

    PageFactory m_currentFactory;  // what made the page shown

    MainWindowOptions m_options;
    QPoint m_dragOrigin;
    QWidget* m_pnlShow = nullptr;
    QLabel* m_footerText = nullptr;
    QLabel* m_clock = nullptr;
    QTimer* m_timer = nullptr;
    bool m_sessionStarted = false;
    bool m_fileReplaced = false;
    QThread* m_fileCheck = nullptr;
    QList<QPair<ClickLabel*, NavEntry::Kind>> m_highlighted;  // entries the highlight resets
};
