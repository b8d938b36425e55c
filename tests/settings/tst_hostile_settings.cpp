// Hostile member names and passwords: typed into the settings grid, stored
// and shown as the cell editor held them, and accepted by the login exactly
// as stored.
#include "app/Tf_login.h"
#include "settings/Tf_system.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"
#include "ui/DataGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace Driver;
using namespace Hostile;

class TstHostileSettings : public QObject {
    Q_OBJECT

private slots:
    void hostileMembersLogIn()
    {
        TEST_BEGIN
        PageFixture f;
        const QString list = QStringLiteral("select %1 from s_user where id<>1 order by id");
        {
            // A blank name is refused with the page's message; nothing is written.
            Tf_system page;
            page.show();
            click(&page, "Button46");
            enterInCell(grid(&page, "DBGridEh16"), rowCount(&page, "DBGridEh16") - 1, Tf_system::ColName, QStringLiteral("   "));
            click(&page, "Button48");
            QCOMPARE(f.boxes.texts(), (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("对不起，操作异常")}));
            QCOMPARE(TestDb::count(QStringLiteral("s_user")), qint64(1));
        }
        f.boxes.clear();
        QStringList names, passwords;
        {
            Tf_system page;
            page.show();
            DataGrid* g = grid(&page, "DBGridEh16");
            for (const Sample& s : corpus()) {
                click(&page, "Button46");
                const int row = rowCount(&page, "DBGridEh16") - 1;
                names << enterInCell(g, row, Tf_system::ColName, s.text);
                passwords << enterInCell(g, row, Tf_system::ColPassword, s.text);
                HOSTILE_COMPARE(names.last(), afterLimit(s.text, 50), s);
                HOSTILE_COMPARE(passwords.last(), s.text, s);  // no limit
            }
            click(&page, "Button48");
            QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("是否确定保存数据？")});
        }
        Tf_system page;
        page.show();
        const QStringList storedNames = TestDb::texts(list.arg(QStringLiteral("sys_name")));
        const QStringList storedPasswords = TestDb::texts(list.arg(QStringLiteral("sys_pwd")));
        const QStringList shownNames = column(&page, "DBGridEh16", Tf_system::ColName).mid(1);
        const QStringList shownPasswords = column(&page, "DBGridEh16", Tf_system::ColPassword).mid(1);
        QCOMPARE(storedNames.size(), corpus().size());
        QCOMPARE(shownNames.size(), corpus().size());
        for (int i = 0; i < corpus().size(); ++i) {
            HOSTILE_COMPARE(storedNames[i], names[i], corpus()[i]);
            HOSTILE_COMPARE(storedPasswords[i], passwords[i], corpus()[i]);
            HOSTILE_COMPARE(shownNames[i], names[i], corpus()[i]);
            HOSTILE_COMPARE(shownPasswords[i], passwords[i], corpus()[i]);
        }

        // The login lists each name as stored and takes its password as typed;
        // another member's password is refused.
        for (int i = 0; i < corpus().size(); ++i) {
            const Sample& s = corpus()[i];
            f.boxes.clear();
            Tf_login login;
            login.show();
            auto* users = find<QComboBox>(&login, "ComboBox1");
            auto* password = find<QLineEdit>(&login, "Edit2");
            HOSTILE_COMPARE(users->itemText(i + 1), names[i], s);
            users->setCurrentIndex(i + 1);
            enter(password, passwords[(i + 1) % passwords.size()]);
            QTest::keyClick(password, Qt::Key_Return);
            QTRY_COMPARE(f.boxes.texts(), QStringList{QStringLiteral("对不起，密码不正确，请你重新输入！")});
            QVERIFY(password->text().isEmpty());
            enter(password, s.text);
            HOSTILE_COMPARE(password->text(), passwords[i], s);
            find<QCheckBox>(&login, "CheckBox1")->setChecked(true);
            clickLabel(&login, "Image2");
            QVERIFY2(login.result() == QDialog::Accepted, qPrintable(s.name));
            HOSTILE_COMPARE(TestDb::scalarText(QStringLiteral("select isuser from sys_sys")), names[i], s);
            HOSTILE_COMPARE(TestDb::scalarText(QStringLiteral("select ispwd from sys_sys")), passwords[i], s);
            // The next start fills in both as remembered.
            Tf_login next;
            HOSTILE_COMPARE(find<QComboBox>(&next, "ComboBox1")->currentText(), names[i], s);
            HOSTILE_COMPARE(find<QLineEdit>(&next, "Edit2")->text(), passwords[i], s);
        }
        TEST_END
    }
};

QTEST_MAIN(TstHostileSettings)
#include "tst_hostile_settings.moc"
