// The journal behind undo and redo: what it records, that undo and redo
// give back exactly the rows that were, all or nothing, and its purge.
#include "data/AccountTotals.h"
#include "data/Categories.h"
#include "data/Clock.h"
#include "data/Import.h"
#include "data/Journal.h"
#include "data/RecycleBin.h"
#include "data/Tx_Data.h"
#include "tests/support/Child.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"
#include "tests/support/TestDb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <openssl/evp.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <list>

namespace {

struct Column {
    QString name, type;
    bool notNull, key;
};

QList<Column> columnsOf(const QString& table)
{
    QList<Column> out;
    Query q(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    while (q.next())
        out.append({q.text(1), q.text(2).toUpper(), q.integer(3) != 0, q.integer(5) != 0});
    return out;
}

// Every journaled table, every column with its storage class, by rowid.
QStringList dump()
{
    QStringList out;
    for (const QString& table : journaledTables()) {
        QStringList cells;
        for (const Column& c : columnsOf(table))
            cells << QStringLiteral("typeof(\"%1\")||':'||hex(\"%1\")").arg(c.name);
        out << table + u':';
        out << TestDb::texts(QStringLiteral("select %1 from \"%2\" order by rowid").arg(cells.join("||'|'||"), table));
    }
    return out;
}

// Random writes that the tables' checks accept: unique, non-blank texts
// from the hostile corpus, money as integers, dates as dates, and now and
// then a fraction where no check asks for an integer.
class Writer {
public:
    explicit Writer(quint32 seed) : m_rng(seed) {}

    // One insert, update, delete or move of a row; false when it found no row to change.
    bool write()
    {
        const QString table = journaledTables()[m_rng.bounded(journaledTables().size())];
        const QList<Column> columns = columnsOf(table);
        const int what = m_rng.bounded(10);
        // A row picked by the seed, not by SQLite's random().
        const qint64 rows = TestDb::count(QStringLiteral("\"%1\"").arg(table));
        const qint64 row = rows == 0 ? 0
                                     : TestDb::scalarInt(QStringLiteral("select rowid from \"%1\" order by rowid "
                                                                        "limit 1 offset %2")
                                                             .arg(table)
                                                             .arg(m_rng.bounded(int(rows))));
        if (what < 4 || row == 0) {
            QStringList names, params;
            Binds binds;
            for (const Column& c : columns)
                if (!c.key)
                    add(c, &names, &params, &binds);
            return run(
                QStringLiteral("insert into \"%1\" (%2) values (%3)").arg(table, names.join(u','), params.join(u',')),
                binds);
        }
        if (what < 8) {
            QStringList names, params;
            Binds binds;
            for (const Column& c : columns)
                if (!c.key && m_rng.bounded(2))
                    add(c, &names, &params, &binds);
            if (names.isEmpty())
                return false;
            return run(QStringLiteral("update \"%1\" set (%2) = (%3) where rowid=%4")
                           .arg(table, names.join(u','), params.join(u','))
                           .arg(row),
                       binds);
        }
        if (what < 9)
            return run(QStringLiteral("update \"%1\" set id=(select max(id)+1 from \"%1\") where rowid=%2")
                           .arg(table)
                           .arg(row),
                       {});
        return run(QStringLiteral("delete from \"%1\" where rowid=%2").arg(table).arg(row), {});
    }

private:
    void add(const Column& c, QStringList* names, QStringList* params, Binds* binds)
    {
        static const char* const param[] = {":v0", ":v1", ":v2", ":v3", ":v4", ":v5", ":v6", ":v7",
                                            ":v8", ":v9", ":va", ":vb", ":vc", ":vd", ":ve", ":vf"};
        const char* name = param[params->size()];
        *names << c.name;
        *params << QString::fromLatin1(name);
        binds->append({name, value(c)});
    }

    QVariant value(const Column& c)
    {
        if (c.type == u"MONEY") {
            const qint64 v = m_rng.bounded(1, 100000000);
            return m_rng.bounded(2) ? v : -v;
        }
        if (c.type == u"DATE")
            return dateText(QDate(2000, 1, 1).addDays(m_rng.bounded(9000)));
        // Columns whose checks name their values.
        static const QHash<QString, QStringList> choices{{"f_class", {"S", "Z"}},
                                                         {"j_class", {"S", "Z"}},
                                                         {"p_type", {"S", "Z", "T"}},
                                                         {"p_varies", {"0", "1"}},
                                                         {"d_state", {"posted", "skipped"}},
                                                         {"p_mode", {"confirm", "auto", "remind"}},
                                                         {"p_ahead", {"0", "3"}},
                                                         {"p_count", {"1", "12"}},
                                                         {"h_legacy", {"0", "1"}},
                                                         {"y_jiezhuan", {"0", "1"}}};
        if (const auto it = choices.find(c.name); it != choices.end())
            return it->at(m_rng.bounded(int(it->size())));
        if (!c.notNull && m_rng.bounded(6) == 0)
            return QVariant();
        if (c.type == u"INTEGER") {
            if (m_rng.bounded(8) == 0)
                return m_rng.bounded(1000) / 3.0;
            return qint64(m_rng.bounded(1, 12));
        }
        // Unique and never blank; within every length check.
        const auto& corpus = Hostile::corpus();
        QString text = corpus[m_rng.bounded(corpus.size())].text.left(30);
        if (text.size() && text.back().isHighSurrogate())
            text.chop(1);
        return QStringLiteral("第%1条").arg(++m_serial) + text;
    }

    bool run(const QString& sql, const Binds& binds)
    {
        Query q(Database::shared(), sql);
        for (const auto& [name, v] : binds)
            q.bindValue(name, v);
        if (!q.exec())
            QTest::qFail(qPrintable(sql + u' ' + q.error().message()), __FILE__, __LINE__);
        return Database::shared().changes() > 0;
    }

    QRandomGenerator m_rng;
    int m_serial = 0;
};

// One user action of 1–5 writes with the totals rebuilt, as a page saves.
bool act(Writer& w, QRandomGenerator& rng, const QString& label, qint64* id = nullptr)
{
    JournalAction a(Database::shared(), label, QStringLiteral("test"));
    if (!a.isActive())
        return false;
    for (int n = rng.bounded(1, 6); n > 0; --n)
        (void)w.write();
    DbError e;
    if (!RecalcAccountTotals(Database::shared(), &e) || !a.finish())
        return false;
    if (id)
        *id = a.id();
    return true;
}

bool step(bool undo)
{
    DbError e;
    const bool ok = undo ? undoLatest(Database::shared(), &e) : redoLatest(Database::shared(), &e);
    if (!ok)
        qWarning("%s", qPrintable(e.message()));
    return ok;
}

// A delete the way the pages make one: an action of the bin's kind.
qint64 deleteAs(const QString& label, const QString& sql)
{
    qint64 id = 0;
    JournalAction a(Database::shared(), label, QString::fromLatin1(ActionKind::Delete));
    TestDb::sql(sql);
    id = a.id();
    if (!a.finish())
        QTest::qFail(qPrintable(a.error().message()), __FILE__, __LINE__);
    return id;
}

QStringList binLabels()
{
    QList<BinItem> items;
    DbError e;
    if (!binItems(Database::shared(), &items, &e))
        QTest::qFail(qPrintable(e.message()), __FILE__, __LINE__);
    QStringList out;
    for (const BinItem& i : items)
        out << i.label + u'|' + i.content;
    return out;
}

// The account totals as stored, and as a rebuild makes them.
QStringList totals()
{
    return TestDb::texts(QStringLiteral("select id||':'||z_yue||':'||z_zhichu from z_zhanghu order by id"));
}

// The file's pages as the engine sees them: each page decrypted the way this
// SQLCipher writes it (AES-256-CBC, the key from the passphrase and the
// file's salt, an IV and a MAC in each page's reserved tail).
QByteArray decryptedPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray file = f.readAll();
    const int pageSize = int(TestDb::scalarInt(QStringLiteral("PRAGMA cipher_page_size")));
    const int iterations = int(TestDb::scalarInt(QStringLiteral("PRAGMA kdf_iter")));
    constexpr int kReserve = 48, kSalt = 16;
    unsigned char key[32];
    PKCS5_PBKDF2_HMAC_SHA1(kDatabasePassword, int(qstrlen(kDatabasePassword)),
                           reinterpret_cast<const unsigned char*>(file.constData()), kSalt, iterations, sizeof key,
                           key);
    QByteArray out;
    for (qsizetype at = 0; at + pageSize <= file.size(); at += pageSize) {
        const int skip = at == 0 ? kSalt : 0;
        const auto* page = reinterpret_cast<const unsigned char*>(file.constData() + at);
        const int length = pageSize - kReserve - skip;
        QByteArray plain(length, '\0');
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        int n = 0;
        EVP_DecryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr, key, page + pageSize - kReserve);
        EVP_CIPHER_CTX_set_padding(ctx, 0);
        EVP_DecryptUpdate(ctx, reinterpret_cast<unsigned char*>(plain.data()), &n, page + skip, length);
        EVP_CIPHER_CTX_free(ctx);
        out += plain;
    }
    return out;
}

// The child of the kill test: undoes the newest action of the file in
// folder args[0]; START just before, END once it returned.
int undoRole(const QStringList& args)
{
    int argc = 1;
    char argv0[] = "undo";
    char* argv[] = {argv0, nullptr};
    QCoreApplication app(argc, argv);
    QDir::setCurrent(args.value(0));
    Tx_Data data;
    Child::report("START");
    QElapsedTimer t;
    t.start();
    DbError e;
    if (!undoLatest(Database::shared(), &e))
        return 4;
    Child::report(QStringLiteral("END %1").arg(t.elapsed()));
    return app.exec();
}

}  // namespace

class TstJournal : public QObject {
    Q_OBJECT
private slots:
    // Hundreds of random writes over every journaled table: undone one by
    // one they give back each earlier state, redone each later one; then
    // undo, redo and new actions in random order follow a model of stacks.
    // The records' monthly sums agree with the records after every step.
    void undoAndRedoGiveBackEveryState()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QVERIFY(t.openShared());
        Tx_Data start(Database::shared());  // the start as the program runs it
        QVERIFY(RecalcAccountTotals(Database::shared()));
        QElapsedTimer clock;
        clock.start();
        QRandomGenerator rng(20121224);
        Writer w(7);
        QList<QStringList> states{dump()};
        QStringList labels{QString()};
        for (int i = 0; i < 150; ++i) {
            const QString label = QStringLiteral("操作 %1 '%2'").arg(i).arg(Hostile::corpus()[i % 5].text);
            qint64 id = 0;
            QVERIFY(act(w, rng, label, &id));
            // An action that changed nothing leaves no trace.
            if (TestDb::count(QStringLiteral("u_action where id=%1").arg(id)) == 0) {
                QCOMPARE(dump(), states.last());
                continue;
            }
            states << dump();
            labels << label;
            QCOMPARE(TestDb::sumsMismatch(), QStringList());
        }
        const qint64 items = TestDb::count(QStringLiteral("u_item"));
        for (int i = states.size() - 1; i > 0; --i) {
            QCOMPARE(latestUndoable(Database::shared()), labels[i]);
            QVERIFY(step(true));
            QCOMPARE(dump(), states[i - 1]);
            QCOMPARE(TestDb::sumsMismatch(), QStringList());
        }
        QCOMPARE(latestUndoable(Database::shared()), QString());
        for (int i = 1; i < states.size(); ++i) {
            QCOMPARE(latestRedoable(Database::shared()), labels[i]);
            QVERIFY(step(false));
            QCOMPARE(dump(), states[i]);
        }
        QCOMPARE(latestRedoable(Database::shared()), QString());

        int at = states.size() - 1;
        for (int i = 0; i < 300; ++i) {
            const int what = rng.bounded(3);
            if (what == 0 && at > 0) {
                QVERIFY(step(true));
                --at;
            } else if (what == 1 && at < states.size() - 1) {
                QVERIFY(step(false));
                ++at;
            } else if (what == 2) {
                const QString label = QStringLiteral("新操作 %1").arg(i);
                qint64 id = 0;
                QVERIFY(act(w, rng, label, &id));
                if (TestDb::count(QStringLiteral("u_action where id=%1").arg(id))) {
                    states = states.mid(0, ++at) << dump();
                    labels = labels.mid(0, at) << label;
                }
            }
            QCOMPARE(dump(), states[at]);
            QCOMPARE(TestDb::sumsMismatch(), QStringList());  // every undo, redo and action kept the sums
            QCOMPARE(latestUndoable(Database::shared()), labels[at]);
            QCOMPARE(latestRedoable(Database::shared()), at + 1 < labels.size() ? labels[at + 1] : QString());
        }
        qInfo("%lld items recorded by the first 150 actions; %lld ms in all", items, clock.elapsed());
        TEST_END
    }

    // What an action records, and what it leaves alone.
    void whatIsRecorded_data()
    {
        QTest::addColumn<QString>("statements");
        QTest::addColumn<int>("actions");  // nested around the statements
        QTest::addColumn<QStringList>("ops");
        QTest::newRow("an account's derived totals")
            << "update z_zhanghu set z_yue=z_yue+1, z_shouru=5" << 1 << QStringList();
        QTest::newRow("an account's name and totals")
            << "update z_zhanghu set z_name='新名', z_yue=7 where id=(select min(id) from z_zhanghu)" << 1
            << QStringList{"z_zhanghu U"};
        QTest::newRow("a name set to itself") << "update s_user set sys_name=sys_name" << 1 << QStringList();
        QTest::newRow("scratch and settings")
            << "insert into x_shou (xmoney,xid) values (1,1); update sys_sys set daytxt='x'; "
               "update u_setting set keepdays=30"
            << 1 << QStringList();
        QTest::newRow("a row moved to another id") << "insert into notebook (id,n_date,n_info) values "
                                                      "(5,'2012-05-01','a'); update notebook set id=9 where id=5"
                                                   << 1 << QStringList{"notebook I", "notebook D", "notebook I"};
        QTest::newRow("a record written with no action open")
            << "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date) values (1,100,1,1,'2012-05-01')"
            << 0 << QStringList();
        QTest::newRow("a named write inside a page's action")
            << "insert into s_user (sys_name) values ('新成员'); delete from s_user where sys_name='新成员'" << 2
            << QStringList{"s_user I", "s_user D"};
    }

    void whatIsRecorded()
    {
        QFETCH(QString, statements);
        QFETCH(int, actions);
        QFETCH(QStringList, ops);
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QVERIFY(t.openShared());
        Tx_Data start(Database::shared());
        {
            std::list<JournalAction> open;
            for (int i = 0; i < actions; ++i)
                open.emplace_back(Database::shared(), QStringLiteral("改%1").arg(i), QStringLiteral("test"));
            TestDb::sql(statements);
            for (; !open.empty(); open.pop_back())
                QVERIFY(open.back().finish());
        }
        QCOMPARE(TestDb::texts(QStringLiteral("select t_name||' '||i_op from u_item order by id")), ops);
        QCOMPARE(TestDb::count(QStringLiteral("u_action")), qint64(!ops.isEmpty()));
        QCOMPARE(latestUndoable(Database::shared()), ops.isEmpty() ? QString() : QStringLiteral("改0"));
        TEST_END
    }

    // Undo rebuilds the totals; a row changed outside the journal since
    // stops it before anything is applied, and so does an open action.
    // The connection is opened as a restore reopens it, without the start:
    // the first action makes the triggers.
    void undoIsWholeOrNothing()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QVERIFY(t.openShared());
        const qint64 account = TestDb::scalarInt(QStringLiteral("select min(id) from z_zhanghu"));
        const qint64 category = TestDb::scalarInt(QStringLiteral("select id from v_fenlei where f_class='S' limit 1"));
        QVERIFY(RecalcAccountTotals(Database::shared()));
        const QStringList before = dump();
        {
            JournalAction a(Database::shared(), QStringLiteral("记一笔收入"), QStringLiteral("record"));
            TestDb::sql(QStringLiteral("insert into notebook (n_date,n_info) values ('2012-05-01','先');"
                                       "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
                                       "values (%1,1230000,1,%2,'2012-05-01','S')")
                            .arg(category)
                            .arg(account));
            QVERIFY(RecalcAccountTotals(Database::shared()));
            QVERIFY(a.finish());
        }
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select z_shouru from z_zhanghu where id=%1").arg(account)),
                 qint64(1230000));

        // The notebook row is undone last; changed meanwhile, it stops all.
        TestDb::sql(QStringLiteral("update notebook set n_info='改过' where n_info='先'"));
        const QStringList changed = dump();
        DbError e;
        QVERIFY(!undoLatest(Database::shared(), &e));
        QCOMPARE(e.kind(), DbError::Kind::Vanished);
        QVERIFY2(e.message().contains(QStringLiteral("记一笔收入")), qPrintable(e.message()));
        QCOMPARE(dump(), changed);
        QCOMPARE(latestUndoable(Database::shared()), QStringLiteral("记一笔收入"));
        {
            JournalAction open(Database::shared(), QStringLiteral("另一个"), QStringLiteral("test"));
            QVERIFY(!undoLatest(Database::shared(), &e));
            QCOMPARE(dump(), changed);
        }

        TestDb::sql(QStringLiteral("update notebook set n_info='先' where n_info='改过'"));
        QString label;
        QVERIFY(undoLatest(Database::shared(), &e, &label));
        QCOMPARE(label, QStringLiteral("记一笔收入"));
        QCOMPARE(dump(), before);
        QVERIFY(RecalcAccountTotals(Database::shared()));
        QCOMPARE(dump(), before);
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select z_shouru from z_zhanghu where id=%1").arg(account)),
                 qint64(0));
        QVERIFY(undoLatest(Database::shared(), &e, &label));  // nothing left: no failure
        QCOMPARE(label, QString());
        TEST_END
    }

    // A restored record needs its category, account and member: one still
    // in the bin comes back with it, one gone for good is replaced by the
    // row the user picks. Ids are the old ones; totals as rebuilt.
    void restoreFindsOwners_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("forGood");
        for (const bool forGood : {false, true}) {
            const char* how = forGood ? "gone for good" : "in the bin";
            QTest::addRow("category %s", how) << "s_fenlei"
                                              << "f_fenleiid" << forGood;
            QTest::addRow("account %s", how) << "z_zhanghu"
                                             << "s_zhanghuid" << forGood;
            QTest::addRow("member %s", how) << "s_user"
                                            << "s_userid" << forGood;
        }
    }
    void restoreFindsOwners()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(bool, forGood);
        TEST_BEGIN
        Driver::PageFixture f;
        Tx_Data start(Database::shared());
        const qint64 category
            = Driver::addCategory(QStringLiteral("夜宵"), QStringLiteral("Z"), QStringLiteral("餐饮"));
        const qint64 account = Driver::addAccount(QStringLiteral("零钱"), QStringLiteral("100"));
        const qint64 member = Driver::addMember(QStringLiteral("小明"));
        const qint64 record
            = Driver::addRecord({category, QStringLiteral("12.5"), QDate(2012, 5, 1), {}, {}, member, account});
        const qint64 owner = table == u"s_fenlei" ? category : table == u"z_zhanghu" ? account : member;
        const qint64 spare = table == u"s_fenlei"    ? Driver::categoryId(QStringLiteral("早餐"))
                             : table == u"z_zhanghu" ? Driver::addAccount(QStringLiteral("备用"))
                                                     : Driver::addMember(QStringLiteral("备用"));
        QVERIFY(RecalcAccountTotals(Database::shared()));
        const QStringList before = dump();
        const qint64 gone = deleteAs(QStringLiteral("删除支出 夜宵 12.50"),
                                     QStringLiteral("delete from s_shouru where id=%1").arg(record));
        const qint64 ownerGone
            = deleteAs(QStringLiteral("删除所属"), QStringLiteral("delete from %1 where id=%2").arg(table).arg(owner));
        // Fifty later edits of other rows change nothing of the restore.
        for (int i = 0; i < 50; ++i)
            QVERIFY(runAction(Database::shared(), QStringLiteral("保存日记"), ActionKind::Save, [&](DbError*) {
                TestDb::sql(
                    QStringLiteral("insert into notebook (n_date, n_info) values ('2012-05-02', '第%1篇')").arg(i));
                return true;
            }));
        DbError e;
        if (forGood)
            QVERIFY(removeFromBin(Database::shared(), ownerGone, &e));
        QCOMPARE(binLabels().size(), forGood ? 1 : 2);
        RestorePlan plan;
        QVERIFY2(planRestore(Database::shared(), gone, &plan, &e), qPrintable(e.message()));
        QHash<QString, qint64> replacements;
        if (forGood) {
            QCOMPARE(plan.actions, QList<qint64>{gone});
            QCOMPARE(plan.missing.size(), 1);
            QCOMPARE(plan.missing[0].table, table);
            QCOMPARE(plan.missing[0].recordClass, table == u"s_fenlei" ? QStringLiteral("Z") : QString());
            QVERIFY(!restoreFromBin(Database::shared(), plan, replacements, &e));  // nothing picked: nothing done
            replacements.insert(ownerKey(table, owner), spare);
        } else {
            QCOMPARE(plan.actions, (QList<qint64>{ownerGone, gone}));
            QCOMPARE(plan.alsoRestored, QStringList{QStringLiteral("删除所属")});
        }
        QVERIFY2(restoreFromBin(Database::shared(), plan, replacements, &e), qPrintable(e.message()));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select %1 from s_shouru where id=%2").arg(column).arg(record)),
                 forGood ? spare : owner);
        QCOMPARE(binLabels(), QStringList());
        const QStringList stored = totals();
        QVERIFY(RecalcAccountTotals(Database::shared()));
        QCOMPARE(totals(), stored);
        // The restore is an action like any other: undone, the items are back in the bin.
        QString label;
        QVERIFY(undoLatest(Database::shared(), &e, &label));
        QCOMPARE(label, QStringLiteral("还原 删除支出 夜宵 12.50"));
        QCOMPARE(binLabels().size(), forGood ? 1 : 2);
        if (!forGood) {
            for (int i = 0; i < 52; ++i)
                QVERIFY2(undoLatest(Database::shared(), &e), qPrintable(e.message()));
            QCOMPARE(dump(), before);
        }
        TEST_END
    }

    // A category deleted with 57 records, its sub-categories and its budget
    // row is one action and one bin item; restored, every row is as it was.
    void categoryComesBackWhole()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        Tx_Data start(Database::shared());
        const qint64 top = Driver::addCategory(QStringLiteral("宠物"), QStringLiteral("Z"));
        TestDb::sql(QStringLiteral("insert into s_yushuan (f_id, y_money) values (%1, 3000000)").arg(top));
        const qint64 food = Driver::addCategory(QStringLiteral("猫粮"), QStringLiteral("Z"), QStringLiteral("宠物"));
        const qint64 vet = Driver::addCategory(QStringLiteral("看病"), QStringLiteral("Z"), QStringLiteral("宠物"));
        for (int i = 0; i < 57; ++i)
            Driver::addRecord(
                {i % 2 ? food : vet, QStringLiteral("%1.25").arg(i + 1), QDate(2012, 5, 1).addDays(i % 19)});
        QVERIFY(RecalcAccountTotals(Database::shared()));
        const QStringList before = dump();
        const QStringList totalsBefore = totals();
        DbError e;
        QVERIFY(runAction(
            Database::shared(), QStringLiteral("删除类别“宠物”及其 57 笔记录"), ActionKind::Delete,
            [&](DbError* err) { return deleteTopCategory(Database::shared(), top, err); }, &e));
        QCOMPARE(TestDb::count(QStringLiteral("u_action")), qint64(1));
        QCOMPARE(binLabels(),
                 QStringList{QStringLiteral("删除类别“宠物”及其 57 笔记录|类别 3 个、收支记录 57 笔、预算 1 条")});
        QVERIFY(undoLatest(Database::shared(), &e));
        QCOMPARE(dump(), before);
        QVERIFY(redoLatest(Database::shared(), &e));
        QList<BinItem> items;
        QVERIFY(binItems(Database::shared(), &items, &e));
        RestorePlan plan;
        QVERIFY(planRestore(Database::shared(), items.value(0).action, &plan, &e));
        QVERIFY(plan.missing.isEmpty());
        QVERIFY2(restoreFromBin(Database::shared(), plan, {}, &e), qPrintable(e.message()));
        QCOMPARE(dump(), before);
        QCOMPARE(totals(), totalsBefore);
        TEST_END
    }

    // Import lines come and go with their records: an undone import undo
    // makes the next reading of the file see every line as seen before; an
    // undone import sees none.
    void importUndoKeepsDuplicateDetection()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        Tx_Data start(Database::shared());
        QList<ImportLine> lines;
        QList<StoredKey> keys;
        for (int i = 0; i < 100; ++i) {
            const QDate d = QDate(2012, 4, 1).addDays(i % 30);
            const Money m = Money::fromRaw(10000 * (i + 1));
            lines.append({d,
                          m,
                          Driver::categoryId(QStringLiteral("早餐")),
                          QStringLiteral("商户%1").arg(i),
                          {},
                          QStringLiteral("T%1").arg(i),
                          {}});
            keys.append({d, m, QStringLiteral("Z")});
        }
        // What an import, its undo and their undos leave is also in the records' sums.
        auto seen = [&] {
            if (!TestDb::sumsMismatch().isEmpty())
                return -2;
            ImportHistory h;
            QVector<bool> matches;
            if (!readImportHistory(Database::shared(), 1, &h)
                || !findStoredMatches(Database::shared(), 1, keys, &matches))
                return -1;
            return int(h.fitids.size() + matches.count(true));
        };
        DbError e;
        qint64 id = 0;
        QVERIFY(runAction(
            Database::shared(), QStringLiteral("导入 支付宝账单 100 笔"), ActionKind::Import,
            [&](DbError* err) {
                return ImportRecords(Database::shared(), QStringLiteral("支付宝账单.csv"), Clock::now(), 1, 1, lines,
                                     &id, err);
            },
            &e));
        QCOMPARE(seen(), 200);
        QVERIFY(runAction(
            Database::shared(), QStringLiteral("撤销导入 支付宝账单 100 笔"), ActionKind::ImportUndo,
            [&](DbError* err) { return UndoImport(Database::shared(), id, nullptr, err); }, &e));
        QCOMPARE(seen(), 0);
        QVERIFY(undoLatest(Database::shared(), &e));  // the import undo undone
        QCOMPARE(seen(), 200);
        QVERIFY(undoLatest(Database::shared(), &e));  // the import undone
        QCOMPARE(seen(), 0);
        QCOMPARE(TestDb::count(QStringLiteral("s_import")), qint64(0));
        TEST_END
    }

    // An item removed for good is overwritten in the file, and so is what
    // the purge at start takes after the kept days.
    void purgedContentLeavesTheFile_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::newRow("彻底删除") << false;
        QTest::newRow("91 days later, at start") << true;
    }
    void purgedContentLeavesTheFile()
    {
        QFETCH(bool, atStart);
        TEST_BEGIN
        Driver::PageFixture f;
        Tx_Data start(Database::shared());
        const QByteArray marker = QStringLiteral("只此一处的日记内容").toUtf8();
        TestDb::sql(QStringLiteral("insert into notebook (n_date, n_info) values ('2012-05-20', '%1')")
                        .arg(QString::fromUtf8(marker)));
        const qint64 action = deleteAs(QStringLiteral("删除日记 2012-05-20"), QStringLiteral("delete from notebook"));
        QVERIFY(decryptedPages(f.db.path()).contains(marker));  // in the journal, readable to the engine
        DbError e;
        if (atStart) {
            f.setNow(Driver::PageFixture::defaultNow().addDays(91));
            Tx_Data again(Database::shared());
        } else {
            QVERIFY(removeFromBin(Database::shared(), action, &e));
        }
        QCOMPARE(binLabels(), QStringList());
        QVERIFY(!decryptedPages(f.db.path()).contains(marker));
        TEST_END
    }

    // A 5,000-row undo cut off anywhere leaves the action wholly done or
    // wholly undone, and a sound file.
    void killedUndoIsWholeOrNothing()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QVERIFY(t.openShared());
        {
            Tx_Data start(Database::shared());
            TestDb::sql(
                QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<5000) "
                               "insert into notebook (n_date, n_info) select '2012-05-01', '第'||i||'篇' from n"));
            deleteAs(QStringLiteral("删除日记 5000 篇"), QStringLiteral("delete from notebook"));
        }
        Database::shared().close();
        int duration = 0;
        QStringList outcomes;
        constexpr int kRuns = 7;  // the first measures, the last is killed after the undo
        for (int run = 0; run < kRuns; ++run) {
            Child::Process child(QStringLiteral("undo"), {t.dir()});
            if (run == 0 || run == kRuns - 1) {
                const QString end = child.waitForAny({QStringLiteral("END ")}, 60000);
                QVERIFY2(!end.isNull(), qPrintable(child.output()));
                duration = run == 0 ? qMax(1, end.mid(4).toInt()) : duration;
                child.kill();
            } else {
                QVERIFY2(child.killAfter(QStringLiteral("START"), int(1.5 * duration * run / (kRuns - 2)), 60000),
                         qPrintable(child.output()));
            }
            QVERIFY(t.openShared());
            QCOMPARE(TestDb::scalarText(QStringLiteral("PRAGMA quick_check")), QStringLiteral("ok"));
            const QString state = TestDb::scalarText(QStringLiteral("select a_state from u_action"));
            const qint64 rows = TestDb::count(QStringLiteral("notebook"));
            QVERIFY2((state == u"done" && rows == 0) || (state == u"undone" && rows == 5000),
                     qPrintable(QStringLiteral("run %1: %2 with %3 rows").arg(run).arg(state).arg(rows)));
            outcomes << state;
            if (state == u"undone" && run < kRuns - 1) {
                Tx_Data again(Database::shared());
                DbError e;
                QVERIFY(redoLatest(Database::shared(), &e));
            }
            if (run == kRuns - 1)
                QCOMPARE(state, QStringLiteral("undone"));
            Database::shared().close();
        }
        qInfo("undo of 5000 rows: %d ms; after the kills: %s", duration, qPrintable(outcomes.join(u' ')));
        TEST_END
    }

    // What was removed for good from the bin stays removed when an earlier
    // action is undone or redone: the rest of it goes through.
    void removedForGoodStaysRemoved()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        Tx_Data start(Database::shared());
        DbError e;
        QVERIFY(runAction(Database::shared(), QStringLiteral("保存日记 两篇"), ActionKind::Save, [](DbError*) {
            TestDb::sql(QStringLiteral("insert into notebook (n_date, n_info) values ('2012-05-01', '甲'), "
                                       "('2012-05-02', '乙')"));
            return true;
        }));
        const qint64 gone
            = deleteAs(QStringLiteral("删除日记 2012-05-01"), QStringLiteral("delete from notebook where n_info='甲'"));
        QVERIFY(removeFromBin(Database::shared(), gone, &e));
        QString label;
        QVERIFY2(undoLatest(Database::shared(), &e, &label), qPrintable(e.message()));
        QCOMPARE(label, QStringLiteral("保存日记 两篇"));
        QCOMPARE(TestDb::count(QStringLiteral("notebook")), qint64(0));
        QVERIFY2(redoLatest(Database::shared(), &e, &label), qPrintable(e.message()));
        QCOMPARE(TestDb::texts(QStringLiteral("select n_info from notebook")), QStringList{QStringLiteral("乙")});
        TEST_END
    }

    // Every table of a new file is either journaled or named as derived.
    void everyTableIsClassed()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QVERIFY(t.openShared());
        const QStringList tables = TestDb::texts(
            QStringLiteral("select name from sqlite_master where type='table' and name not like 'sqlite%' order by 1"));
        for (const QString& table : tables)
            QVERIFY2(journaledTables().contains(table) != unjournaledTables().contains(table), qPrintable(table));
        for (const QString& table : journaledTables() + unjournaledTables())
            QVERIFY2(tables.contains(table), qPrintable(table));
        TEST_END
    }

    // Actions older than the kept days go with their items, and every
    // action before them even when the clock was set back in between.
    void purgeKeepsTheRecentDays()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QVERIFY(t.openShared());
        Tx_Data start(Database::shared());
        const QDateTime now(QDate(2012, 5, 20), QTime(9, 0));
        // days before now: 1000 deletes of one row each, the clock set back once
        const QList<int> ages{40, 20, 45, 29, 2};
        Transaction all(Database::shared());  // one commit: the actions nest in it
        for (int i = 0; i < 1000; ++i)
            TestDb::sql(
                QStringLiteral("insert into notebook (n_date,n_info) values ('2012-05-01','第%1天的日记')").arg(i));
        for (int i = 0; i < 1000; ++i) {
            Clock::setFixed(now.addDays(-ages[i * ages.size() / 1000]));
            JournalAction a(Database::shared(), QStringLiteral("删除日记"), QStringLiteral("diary"));
            TestDb::sql(QStringLiteral("delete from notebook where id=(select min(id) from notebook)"));
            QVERIFY(a.finish());
        }
        Clock::setFixed(QDateTime());
        QVERIFY(all.commit());
        qInfo("u_item after 1000 single-row deletes: %lld rows, %lld bytes of images",
              TestDb::scalarInt(QStringLiteral("select count(*) from u_item")),
              TestDb::scalarInt(QStringLiteral("select sum(length(i_old)) from u_item")));
        QVERIFY(TestDb::scalarInt(QStringLiteral("select sum(length(i_old)) + count(*) * 40 from u_item"))
                < 500 * 1024);
        QVERIFY(setJournalKeepDays(Database::shared(), 30));
        QVERIFY(!setJournalKeepDays(Database::shared(), 6));
        TestDb::sql(QStringLiteral("PRAGMA secure_delete=0"));
        int removed = 0;
        QVERIFY(purgeJournal(Database::shared(), now, nullptr, &removed));
        QCOMPARE(removed, 600);  // up to the last one 45 days old, the 20 days old among them
        QCOMPARE(TestDb::scalarInt(QStringLiteral("PRAGMA secure_delete")), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("u_action")), qint64(400));
        QCOMPARE(TestDb::count(QStringLiteral("u_item where a_id not in (select id from u_action)")), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("u_item")), qint64(400));
        TEST_END
    }
};

int main(int argc, char** argv)
{
    if (const auto rc = Child::run(argc, argv, {{QStringLiteral("undo"), undoRole}}))
        return *rc;
    QCoreApplication app(argc, argv);
    TstJournal test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_journal.moc"
