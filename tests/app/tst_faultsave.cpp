// Every page's save when the file cannot be written: full (the engine's
// page limit; the process's file size limit), read-only file or folder,
// locked by another process. Each fault runs in a child process that drives
// the real main window and pages; this process arms the lock and checks the
// file afterwards. A save must show the general error display with the
// database's message and no success, keep what was typed and stay usable;
// once the fault is gone the same input saves exactly once.
#include "app/TForm1.h"
#include "data/Tx_Data.h"
#include "tests/support/Child.h"
#include "tests/support/Driver.h"
#include "tests/support/GridPages.h"
#include "ui/Msg.h"
#include "ui/Page.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QRadioButton>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <functional>
#include <grp.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Driver;

namespace {

// ---------------------------------------------------------------- faults

enum class Fault { PageLimit, SizeLimit, ReadOnlyFile, ReadOnlyFolder, Locked };

struct FaultCase {
    const char* name;
    Fault fault;
    const char* message;  // the database's words on a refused write
    bool liftable;        // the child can end the fault and save again
    const char* saves;    // of pageSaves(), blank-separated
    QStringList pages() const { return QString::fromUtf8(saves).split(u' '); }
};

const QList<FaultCase>& faultCases()
{
    static const QList<FaultCase> cases{
        {"page limit", Fault::PageLimit, "database or disk is full", true,
         "支出 收入 账户 桌面 便笺 转账 收入类别 支出类别 借入 借出 预算 日记本 用户 启动页"},
        // The engine writes the file at the commit: the refusal comes there.
        {"file size limit", Fault::SizeLimit, "disk I/O error", true, "支出 账户 账户保存 转账 支出类别 借出"},
        {"read-only file", Fault::ReadOnlyFile, "attempt to write a readonly database", false,
         "支出 账户 收入类别 借入 用户"},
        {"read-only folder", Fault::ReadOnlyFolder, "unable to open database file", false,
         "收入 账户 转账 预算 日记本"},
        {"locked", Fault::Locked, "database is locked", true, "收入 账户 便笺 预算 日记本 用户 借出"}};
    return cases;
}

// The entry of `list` (fault cases, page saves) called `name`.
template <class T> const T& named(const QList<T>& list, const QString& name)
{
    for (const T& item : list)
        if (QString::fromUtf8(item.name) == name)
            return item;
    qFatal("unknown %s", qPrintable(name));
}

// ---------------------------------------------------------------- pages

QString marker(const char* page) { return QStringLiteral("fault-%1").arg(QString::fromUtf8(page)); }

// One save as a user makes it: the entry that opens the page, what is typed,
// the button, how to see the input is still there, and the saved copies.
struct PageSave {
    const char* name;
    const char* entry;  // navigation label
    const char* pageName;
    std::function<void(QWidget*)> type;  // null: the entry recomputes first and stops
    std::function<bool(QWidget*)> kept;
    const char* save;
    QString saved;  // counts the saved copies
};

// A record typed into an entry page, its marker as the remark.
PageSave entrySave(const char* name, const char* entry, const char* pageName, const char* category)
{
    const QStringList typed{QString::fromUtf8(category), QStringLiteral("12.5"), marker(name)};
    const QStringList boxes{QStringLiteral("Edit3"), QStringLiteral("Edit1"), QStringLiteral("Edit2")};
    return {name,
            entry,
            pageName,
            [=](QWidget* p) {
                for (int i = 0; i < 3; ++i)
                    setText(p, boxes[i], typed[i]);
            },
            [=](QWidget* p) {
                return QStringList{editText(p, boxes[0]), editText(p, boxes[1]), editText(p, boxes[2])} == typed;
            },
            "Button3",
            QStringLiteral("select count(*) from s_shouru where s_other='%1'").arg(marker(name))};
}

// A valid row typed into a grid page (tests/support/GridPages), kept in its
// grid until it is saved; `extra` adds to the count of saved copies.
PageSave gridSave(const char* name, const char* gridPage, const QString& extra = {})
{
    const GridPages::GridPage& g = GridPages::page(QString::fromLatin1(gridPage));
    auto row = std::make_shared<int>(-1);
    const int column = GridPages::tagColumn(g);
    QString saved = QStringLiteral("select (%1)").arg(GridPages::countSql(g, marker(name)));
    if (!g.together.isEmpty())
        saved += QStringLiteral(" * (%1)").arg(g.together.arg(marker(name)));
    if (!extra.isEmpty())
        saved += QStringLiteral(" + (%1)").arg(extra);
    return {
        name,
        g.entry,
        g.objectName,
        [&g, name, row](QWidget* p) { *row = g.typeRow(p, marker(name)); },
        [&g, name, row, column](QWidget* p) { return GridPages::pendingRowHolds(g, p, *row, column, marker(name)); },
        g.save,
        saved};
}

const QList<PageSave>& pageSaves()
{
    static const QList<PageSave> saves{
        entrySave("支出", "Label9", "f_zhichu", "早餐"),
        entrySave("收入", "Label10", "f_shouru", "工资"),
        {"账户", "Label11", "f_zhanghu", {}, {}, nullptr, {}},
        {"桌面", "Label3", "f_main", {}, {}, nullptr, {}},
        // The desktop's note, typed before the fault came.
        {"便笺", "Label3", "f_main",
         [](QWidget* p) {
             clickLabel(p, "Label1");
             setText(p, "Edit6", marker("便笺"));
         },
         [](QWidget* p) { return find<QWidget>(p, "Panel1")->isVisible() && editText(p, "Edit6") == marker("便笺"); },
         "Button57", QStringLiteral("select count(*) from sys_sys where daytxt='fault-便笺'")},
        // Opened before the fault came.
        gridSave("账户保存", "accounts"),
        gridSave("转账", "transfers"),
        gridSave("收入类别", "income categories"),
        // A new expenditure category comes with its budget row, or neither is there.
        gridSave("支出类别", "expense categories",
                 QStringLiteral("select count(*) from s_yushuan where f_id not in (select id from s_fenlei)")),
        gridSave("借入", "borrowed"),
        gridSave("借出", "lent"),
        gridSave("预算", "budget"),
        gridSave("日记本", "diary"),
        gridSave("用户", "members"),
        {"启动页", "Label24", "f_system", [](QWidget* p) { click(p, "r_3"); },
         [](QWidget* p) { return find<QRadioButton>(p, "r_3")->isChecked(); }, "Button1",
         QStringLiteral("select count(*) from sys_sys where skinx='3'")},
    };
    return saves;
}

// ---------------------------------------------------------------- the child

// The child's world: which fault, what the database says, where the file is.
struct ChildSetup {
    FaultCase fault;
    QString dir;
};
ChildSetup* g_setup = nullptr;
bool g_armed = false;

QString filePath() { return QDir(g_setup->dir).filePath(QString::fromLatin1(kDatabaseFileName)); }

void setFileSizeLimit(rlim_t limit)
{
    rlimit l{};
    getrlimit(RLIMIT_FSIZE, &l);
    l.rlim_cur = limit == RLIM_INFINITY ? l.rlim_max : limit;
    setrlimit(RLIMIT_FSIZE, &l);
}

// Starts the fault where the child can (the test starts the lock), then
// waits for the test's go.
void arm()
{
    switch (g_setup->fault.fault) {
    case Fault::PageLimit:
        TestDb::sql(
            QStringLiteral("PRAGMA max_page_count=%1").arg(TestDb::scalarInt(QStringLiteral("PRAGMA page_count"))));
        break;
    case Fault::SizeLimit:
        // Room for the pages there are and a little: a write that needs more fails.
        setFileSizeLimit(rlim_t(QFileInfo(filePath()).size() + 2048));
        break;
    default: break;
    }
    g_armed = true;
    Child::report("ARM");
    if (Child::receive() != u"GO")
        Driver::fail(QStringLiteral("no go from the test"));
}

void lift()
{
    g_armed = false;
    if (g_setup->fault.fault == Fault::PageLimit)
        TestDb::sql(QStringLiteral("PRAGMA max_page_count=1073741823"));
    if (g_setup->fault.fault == Fault::SizeLimit)
        setFileSizeLimit(RLIM_INFINITY);
    Child::report("LIFT");
    if (Child::receive() != u"GO")
        Driver::fail(QStringLiteral("no go from the test"));
}

QString boxesSeen(const BoxAnswerer& boxes) { return boxes.texts().join(QStringLiteral(" | ")); }

// The boxes after a refused save: confirmations, then the general error
// display with the database's message and nothing else.
bool onlyTheErrorDisplay(const BoxAnswerer& boxes)
{
    QList<SeenBox> rest;
    for (const SeenBox& b : boxes.seen)
        if (b.icon != QMessageBox::Question)
            rest << b;
    return rest.size() == 1 && rest[0].icon == QMessageBox::Critical && rest[0].title == QString::fromUtf8(kAppTitle)
           && rest[0].text == QStringLiteral("数据库操作失败：\n") + QString::fromUtf8(g_setup->fault.message);
}

class FaultPages : public QObject {
    Q_OBJECT
    TForm1* m_form = nullptr;
    BoxAnswerer* m_boxes = nullptr;

private slots:
    void initTestCase()
    {
        m_boxes = new BoxAnswerer;
        m_form = new TForm1(false);
        m_form->show();
        // Boxes before any page (a start recomputation on a read-only file) are not a save's.
        QTest::qWait(50);
    }
    // A row that failed half-way leaves no fault behind for the next one.
    void cleanup()
    {
        TEST_BEGIN
        if (g_armed)
            lift();
        TEST_END
    }
    void cleanupTestCase()
    {
        delete m_form;
        delete m_boxes;
    }

    void saveIsRefused_data()
    {
        QTest::addColumn<QString>("page");
        for (const QString& p : g_setup->fault.pages())
            QTest::newRow(qPrintable(p)) << p;
    }
    void saveIsRefused()
    {
        TEST_BEGIN
        QFETCH(QString, page);
        const PageSave& p = named(pageSaves(), page);
        const bool liftable = g_setup->fault.liftable;
        BoxAnswerer& boxes = *m_boxes;
        // The rows a refused save kept on the last page are given up: leaving
        // would ask about them.
        if (auto* last = qobject_cast<Page*>(m_form->currentPage()))
            last->dropEdits();
        boxes.clear();
        if (!p.type) {
            // The entry recomputes the account totals first and stops there.
            QWidget* before = m_form->currentPage();
            arm();
            clickLabel(m_form, QString::fromLatin1(p.entry));
            QVERIFY2(onlyTheErrorDisplay(boxes), qPrintable(boxesSeen(boxes)));
            QCOMPARE(m_form->currentPage(), before);
            if (!liftable)
                return;
            lift();
            boxes.clear();
            clickLabel(m_form, QString::fromLatin1(p.entry));
            QVERIFY2(boxes.seen.isEmpty(), qPrintable(boxesSeen(boxes)));
            QCOMPARE(m_form->currentPage()->objectName(), QString::fromLatin1(p.pageName));
            return;
        }
        clickLabel(m_form, QString::fromLatin1(p.entry));
        QWidget* w = m_form->currentPage();
        QVERIFY(w);
        QCOMPARE(w->objectName(), QString::fromLatin1(p.pageName));
        QTest::qWait(60);  // pages that read just after they show
        QVERIFY2(boxes.seen.isEmpty(), qPrintable(QStringLiteral("opening: ") + boxesSeen(boxes)));
        p.type(w);

        arm();
        // Still usable where the fault stays: the next try is refused the same way.
        for (int tries = liftable ? 1 : 2; tries > 0; --tries) {
            click(w, QString::fromLatin1(p.save));
            QVERIFY2(onlyTheErrorDisplay(boxes), qPrintable(boxesSeen(boxes)));
            QVERIFY2(p.kept(w), "the input is gone");
            QCOMPARE(m_form->currentPage(), w);
            if (auto* notice = w->findChild<QWidget*>(QStringLiteral("GroupBox7")))
                QVERIFY(!notice->isVisible());  // no "保存成功！"
            boxes.clear();
        }
        if (!liftable) {
            QCOMPARE(TestDb::scalarInt(p.saved), qint64(0));
            return;
        }
        // Once the file can be written, the same input is saved exactly once:
        // the refused try left nothing behind.
        lift();
        click(w, QString::fromLatin1(p.save));
        for (const SeenBox& b : std::as_const(boxes.seen))
            QVERIFY2(b.icon != QMessageBox::Critical, qPrintable(boxesSeen(boxes)));
        QCOMPARE(TestDb::scalarInt(p.saved), qint64(1));
        TEST_END
    }
};

// Arguments: fault name, folder of the file.
int pagesRole(const QStringList& args)
{
    ChildSetup setup{named(faultCases(), args.value(0)), args.value(1)};
    g_setup = &setup;
    const bool readOnly = setup.fault.fault == Fault::ReadOnlyFile || setup.fault.fault == Fault::ReadOnlyFolder;
    // Root writes anywhere: the household's user is someone else.
    if (readOnly && geteuid() == 0) {
        const gid_t nobody = 65534;
        if (setgroups(0, nullptr) != 0 || setresgid(nobody, nobody, nobody) != 0
            || setresuid(nobody, nobody, nobody) != 0) {
            std::perror("dropping root");
            return 90;
        }
    }
    if (setup.fault.fault == Fault::SizeLimit)
        std::signal(SIGXFSZ, SIG_IGN);  // a refused write, not the end of the process
    int argc = 1;
    char name[] = "faultpages";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QDir::setCurrent(setup.dir);
    // A short busy wait: a lock is waited out for every save.
    Tx_Data data(Database::shared(), 200);
    if (!data.isOpen()) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(filePath()),
                     qPrintable(Database::shared().lastError()));
        return 91;
    }
    FaultPages pages;
    return QTest::qExec(&pages, argc, argv);
}

// ---------------------------------------------------------------- the test

QByteArray hashOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Every write to the household's tables takes new pages, as a record does
// once its page is full: so a full file refuses every save, not only some.
void padEveryWrite(Database& db)
{
    QStringList tables;
    Query q(db, QStringLiteral("select name from sqlite_master where type='table' and name not like 'sqlite%'"));
    while (q.next())
        tables << q.text(0);
    QString sql = QStringLiteral("create table fault_pad (b blob);");
    for (const QString& t : std::as_const(tables))
        for (const char* op : {"insert", "update"})
            sql += QStringLiteral("create trigger pad_%1_%2 after %2 on %1 begin insert into fault_pad values "
                                  "(zeroblob(16384)); end;")
                       .arg(t, QString::fromLatin1(op));
    QVERIFY2(db.exec(sql), qPrintable(db.lastError()));
}

void setMode(const QString& path, mode_t mode)
{
    QVERIFY2(::chmod(QFile::encodeName(path).constData(), mode) == 0, qPrintable(path));
}

}  // namespace

class TstFaultSave : public QObject {
    Q_OBJECT
private slots:
    void everySaveIsRefused_data()
    {
        QTest::addColumn<QString>("fault");
        for (const FaultCase& c : faultCases())
            QTest::newRow(c.name) << QString::fromUtf8(c.name);
    }
    void everySaveIsRefused()
    {
        QFETCH(QString, fault);
        const FaultCase& c = named(faultCases(), fault);
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        if (c.fault == Fault::PageLimit || c.fault == Fault::SizeLimit) {
            Database db;
            QVERIFY(db.open(t.path(), QByteArray(kDatabasePassword)));
            padEveryWrite(db);
        }
        // The child reads the folder as another user when this runs as root.
        setMode(t.dir(), 0755);
        if (c.fault == Fault::ReadOnlyFile) {
            setMode(t.path(), 0444);
            if (geteuid() == 0)  // the folder is someone else's
                QVERIFY(::chown(QFile::encodeName(t.dir()).constData(), 65534, 65534) == 0);
        }
        if (c.fault == Fault::ReadOnlyFolder) {
            setMode(t.path(), 0666);
            setMode(t.dir(), 0555);
        }
        const QByteArray before = hashOf(t.path());

        Database holder;
        if (c.fault == Fault::Locked)
            QVERIFY(holder.open(t.path(), QByteArray(kDatabasePassword)));
        Child::Process child(QStringLiteral("pages"), {fault, t.dir()});
        for (;;) {
            const QString step = child.waitForAny({QStringLiteral("ARM"), QStringLiteral("LIFT")}, 60000);
            if (step.isNull())
                break;
            if (c.fault == Fault::Locked)
                QVERIFY2(holder.exec(step == u"ARM" ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("ROLLBACK")),
                         qPrintable(holder.lastError()));
            child.send(QStringLiteral("GO"));
        }
        const int code = child.wait(60000);
        if (holder.inTransaction())
            QVERIFY(holder.exec(QStringLiteral("ROLLBACK")));
        holder.close();
        if (code != 0)
            std::fprintf(stderr, "%s\n", qPrintable(child.output()));  // a failure message would be cut short
        QVERIFY2(code == 0, qPrintable(QStringLiteral("the child ended with %1").arg(code)));

        setMode(t.dir(), 0755);
        setMode(t.path(), 0644);
        if (!c.liftable)
            QCOMPARE(hashOf(t.path()), before);  // not a byte written
        Database db;
        QVERIFY(db.open(t.path(), QByteArray(kDatabasePassword)));
        Query check(db, QStringLiteral("PRAGMA integrity_check"));
        QVERIFY(check.next());
        QCOMPARE(check.text(0), QStringLiteral("ok"));
        // Each save is there once after the fault, or not at all.
        for (const QString& page : c.pages()) {
            const PageSave& p = named(pageSaves(), page);
            if (p.saved.isEmpty())
                continue;
            Query saved(db, p.saved);
            QVERIFY(saved.next());
            QVERIFY2(saved.integer(0) == (c.liftable ? 1 : 0), qPrintable(page));
        }
    }
};

int main(int argc, char** argv)
{
    if (const auto rc = Child::run(argc, argv, {{QStringLiteral("pages"), pagesRole}}))
        return *rc;
    QApplication app(argc, argv);
    TstFaultSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faultsave.moc"
