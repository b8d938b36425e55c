// The login dialog: members, remembered name and password, cancel, no database.
#include "app/Tf_login.h"
#include "data/Tx_Data.h"
#include "tests/support/Driver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace Driver;

class TstLogin : public QObject {
    Q_OBJECT

private slots:
    void loginRemembersAndRefuses()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("insert into s_user (sys_name,sys_pwd) values ('老\"王''s', 'p\"w''d')"));
        auto& boxes = f.boxes;
        {
            Tf_login login;
            auto* users = find<QComboBox>(&login, "ComboBox1");
            auto* pwd = find<QLineEdit>(&login, "Edit2");
            QCOMPARE(users->count(), 2);
            QCOMPARE(users->currentIndex(), 0);
            QCOMPARE(pwd->text(), QString());
            QVERIFY(!find<QCheckBox>(&login, "CheckBox1")->isChecked());
            login.show();
            // Wrong letter case is refused; the box empties and keeps the focus.
            QTest::keyClicks(pwd, QStringLiteral("ADMIN"));
            QTest::keyClick(pwd, Qt::Key_Return);
            QTRY_COMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].title, QStringLiteral("系统提示"));
            QCOMPARE(boxes.seen[0].text, QStringLiteral("对不起，密码不正确，请你重新输入！"));
            QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
            QCOMPARE(pwd->text(), QString());
            QCOMPARE(login.focusWidget(), static_cast<QWidget*>(pwd));
            QVERIFY(login.isVisible());
            // Quotes in name and password; remember both.
            users->setCurrentIndex(1);
            QTest::keyClicks(pwd, QStringLiteral("p\"w'd"));
            find<QCheckBox>(&login, "CheckBox1")->setChecked(true);
            clickLabel(&login, "Image2");
            QVERIFY(!login.isVisible());
            QCOMPARE(login.result(), int(QDialog::Accepted));
            QVERIFY(!LoginCancelled);
            // Pages that write records for someone take the member logged in.
            QCOMPARE(LoggedInMemberId,
                     TestDb::scalarInt(QStringLiteral("select id from s_user where sys_pwd like 'p%'")));
        }
        QCOMPARE(TestDb::scalarText(QStringLiteral("select isuser||'|'||ispwd||'|'||isji from sys_sys")),
                 QStringLiteral("老\"王's|p\"w'd|1"));
        {
            Tf_login login;  // the next start fills both in
            QCOMPARE(find<QComboBox>(&login, "ComboBox1")->currentText(), QStringLiteral("老\"王's"));
            QCOMPARE(editText(&login, "Edit2"), QStringLiteral("p\"w'd"));
            find<QCheckBox>(&login, "CheckBox1")->setChecked(false);
            login.show();
            clickLabel(&login, "Image2");
            QCOMPARE(login.result(), int(QDialog::Accepted));
        }
        // Unticked: isji 0, the stored name and password stay.
        QCOMPARE(TestDb::scalarText(QStringLiteral("select isuser||'|'||ispwd||'|'||isji from sys_sys")),
                 QStringLiteral("老\"王's|p\"w'd|0"));
        QCOMPARE(boxes.seen.size(), 1);
        TEST_END
    }

    void loginRememberedMemberDeleted()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("update sys_sys set isuser='gone', ispwd='secret', isji=1"));
        Tf_login login;
        auto* users = find<QComboBox>(&login, "ComboBox1");
        QVERIFY(find<QCheckBox>(&login, "CheckBox1")->isChecked());
        QCOMPARE(users->currentIndex(), -1);
        QCOMPARE(editText(&login, "Edit2"), QStringLiteral("secret"));
        login.show();
        clickLabel(&login, "Image2");  // nothing chosen: nothing happens
        QVERIFY(login.isVisible());
        users->setCurrentIndex(0);
        setText(&login, "Edit2", QStringLiteral("admin"));
        clickLabel(&login, "Image2");
        QCOMPARE(login.result(), int(QDialog::Accepted));
        TEST_END
    }

    void loginCancelAndCloseEndTheApplication()
    {
        TEST_BEGIN
        PageFixture f;
        {
            Tf_login login;
            login.show();
            clickLabel(&login, "Image3");
            QVERIFY(!login.isVisible());
            QVERIFY(LoginCancelled);
        }
        {
            Tf_login login;
            login.show();
            login.close();  // the window's own close command
            QVERIFY(LoginCancelled);
        }
        TEST_END
    }

    void loginWithoutDatabase()
    {
        QTemporaryDir empty;
        const QString old = QDir::currentPath();
        QDir::setCurrent(empty.path());
        Tx_Data data(Database::shared());
        QDir::setCurrent(old);
        BoxAnswerer boxes;
        Tf_login login;
        QVERIFY(login.databaseMissing());
        QVERIFY(boxes.texts().contains(QStringLiteral("数据库文件\"fmy.dll\"丢失，请检查文件是否完整！")));
        QVERIFY(LoginCancelled);
    }
};

QTEST_MAIN(TstLogin)
#include "tst_login.moc"
