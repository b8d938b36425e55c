// A record saved on the expense page survives the program being killed the
// moment "保存成功！" shows: the save is on disk before the notice appears.
#include "data/Tx_Data.h"
#include "ledger/Tf_zhichu.h"
#include "tests/support/Child.h"
#include "tests/support/Driver.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Driver;

namespace {
// The child: the expense page on the database in folder args[0], one record
// saved; it reports "SAVED" once the notice shows and then waits to be killed.
int saveRole(const QStringList& args)
{
    int argc = 1;
    char name[] = "child";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QDir::setCurrent(args.value(0));
    Tx_Data data;
    Tf_zhichu page;
    page.show();
    auto text = [&](const char* edit, const QString& value) {
        if (auto* e = page.findChild<QLineEdit*>(QString::fromLatin1(edit)))
            e->setText(value);
    };
    text("Edit3", QStringLiteral("早餐"));
    text("Edit1", QStringLiteral("12.5"));
    text("Edit2", QStringLiteral("kill test"));
    auto* save = page.findChild<QPushButton*>(QStringLiteral("Button3"));
    auto* notice = page.findChild<QWidget*>(QStringLiteral("GroupBox7"));
    if (!save || !notice)
        return 3;
    save->click();
    if (!notice->isVisible())
        return 4;
    Child::report("SAVED");
    return app.exec();
}
}  // namespace

class TstKillSave : public QObject {
    Q_OBJECT
private slots:
    void savedRecordSurvivesKill()
    {
        TEST_BEGIN
        PageFixture f;
        Child::Process child(QStringLiteral("save"), {f.db.dir()});
        QVERIFY2(child.waitFor(QStringLiteral("SAVED")), qPrintable(child.output()));
        child.kill();
        QCOMPARE(TestDb::scalarText(QStringLiteral("select s_jine||'|'||s_other from s_shouru")),
                 QStringLiteral("125000|kill test"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));
        TEST_END
    }
};

int main(int argc, char** argv)
{
    if (const auto rc = Child::run(argc, argv, {{QStringLiteral("save"), saveRole}}))
        return *rc;
    QApplication app(argc, argv);
    TstKillSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_killsave.moc"
