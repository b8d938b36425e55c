// Hostile member names and passwords, stored as the members grid stores them
// (tst_hostile_grids), are accepted by the login exactly as stored.
#include "app/Tf_login.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"

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
        QStringList names, passwords;
        for (const Sample& s : corpus()) {
            names << afterLimit(s.text, 50);
            passwords << s.text;
            addMember(names.last(), passwords.last());
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
