#include "app/Tf_login.h"

#include "app/Artwork.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/Tx_Data.h"
#include "ui/ClickLabel.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

bool LoginCancelled = false;

Tf_login::Tf_login(QWidget* parent, bool exitWhenShown)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog),
      m_exitWhenShown(exitWhenShown)
{
    setObjectName(QStringLiteral("f_login"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setFixedSize(468, 263);
    setModal(true);

    auto* bg = new QLabel(this);
    bg->setObjectName(QStringLiteral("Image1"));
    bg->setGeometry(0, 0, 468, 263);
    bg->setPixmap(Artwork::loginBackground(468, 263));

    m_users = new QComboBox(this);
    m_users->setObjectName(QStringLiteral("ComboBox1"));
    m_users->setEditable(false);
    m_users->setGeometry(232, 88, 193, 24);

    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Edit2"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setGeometry(232, 120, 193, 24);
    m_password->installEventFilter(this);

    m_remember = new QCheckBox(QStringLiteral("记住用户名和密码"), this);
    m_remember->setObjectName(QStringLiteral("CheckBox1"));
    m_remember->setGeometry(232, 150, 193, 22);

    auto* cancel = new ClickLabel(this);
    cancel->setObjectName(QStringLiteral("Image3"));
    cancel->setGeometry(232, 176, 81, 33);
    cancel->setPixmap(Artwork::pictureButton(QStringLiteral("取消"), 81, 33, false));
    connect(cancel, &ClickLabel::clicked, this, &Tf_login::Image3Click);
    auto* ok = new ClickLabel(this);
    ok->setObjectName(QStringLiteral("Image2"));
    ok->setGeometry(344, 176, 81, 33);
    ok->setPixmap(Artwork::pictureButton(QStringLiteral("确定"), 81, 33, true));
    connect(ok, &ClickLabel::clicked, this, &Tf_login::Image2Click);

    auto* hint = new QLabel(QStringLiteral("登陆后可在【系统设置】中修改密码。"), this);
    hint->setObjectName(QStringLiteral("Label1"));
    hint->move(136, 240);
    hint->adjustSize();

    setTabOrder(m_users, m_password);
    setTabOrder(m_password, m_remember);

    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());

    // Until a member is admitted, closing the dialog ends the application.
    LoginCancelled = true;
    FormCreate();
}

void Tf_login::FormCreate()
{
    if (x_Data && x_Data->newerFile()) {
        m_newer = true;
        Msg::error(this, QString::fromUtf8(kNewerFileMessage));
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(kExitStartFailed); });
        return;
    }
    Query users(QStringLiteral("Select * from s_user"));
    while (users.next())
        m_users->addItem(users.text(QStringLiteral("sys_name")));
    if (!users.ok()) {
        // A file held by another program is there and intact: telling the
        // user it is missing would send them looking for the wrong fault.
        if (users.locked()) {
            m_locked = true;
            Msg::error(this, QStringLiteral("数据库文件\"fmy.dll\"正被其他程序使用，请关闭该程序后重试！"));
        } else {
            m_missing = true;
            Msg::error(this, QStringLiteral("数据库文件\"fmy.dll\"丢失，请检查文件是否完整！"));
        }
        // Nothing else can be read either: no further box, end the program.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(kExitStartFailed); });
        return;
    }
    if (m_users->count() > 0)
        m_users->setCurrentIndex(0);

    Query sys(QStringLiteral("Select * from sys_sys where id=1"));
    if (!sys.isPrepared()) {
        Msg::dbError(this, sys.error());
        return;
    }
    if (sys.next() && sys.text(QStringLiteral("isji")) == u"1") {
        m_remember->setChecked(true);
        m_users->setCurrentIndex(m_users->findText(sys.text(QStringLiteral("isuser")), Qt::MatchExactly));
        m_password->setText(sys.text(QStringLiteral("ispwd")));
    }
}

void Tf_login::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // The start-up benchmark measures the time until this dialog is shown.
    if (m_exitWhenShown) {
        std::fputs("login shown\n", stdout);
        std::fflush(stdout);
        // Ends as a cancelled login does: the main window ends the loop.
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    if (startFailed())
        QTimer::singleShot(0, this, &QDialog::reject);
    m_password->setFocus();
}

bool Tf_login::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_password && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            TryLogin();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tf_login::TryLogin()
{
    if (m_users->currentIndex() < 0)
        return;
    const QString name = m_users->currentText();
    Query q(QStringLiteral("select * from s_user where sys_name=:name"));
    q.bind(":name", name);
    if (!q.next()) {
        if (!q.ok())
            Msg::dbError(this, q.error());
        return;
    }
    const QString password = m_password->text();
    if (q.text(QStringLiteral("sys_pwd")) == password) {
        LoginCancelled = false;
        LoggedInMemberId = q.integer(QStringLiteral("id"));
        accept();
        Query save(m_remember->isChecked()
                       ? QStringLiteral("update sys_sys set isuser=:name,ispwd=:pwd,isji=1 where id =1 ")
                       : QStringLiteral("update sys_sys set  isji=0 where id =1 "));
        save.bind(":name", name).bind(":pwd", password);
        if (!save.exec())
            Msg::dbError(parentWidget(), save.error());
        return;
    }
    Msg::error(this, QStringLiteral("对不起，密码不正确，请你重新输入！"));
    m_password->clear();
    m_password->setFocus();
}

void Tf_login::Image2Click() { TryLogin(); }

void Tf_login::Image3Click()
{
    LoginCancelled = true;
    reject();
}

void Tf_login::done(int result)
{
    // Only a successful login clears the flag; any other way out ends the
    // application (the window's close command included).
    if (result != QDialog::Accepted)
        LoginCancelled = true;
    QDialog::done(result);
}
