#include "data/Tx_Data.h"

#include "data/Backup.h"
#include "data/Clock.h"
#include "data/Journal.h"
#include "data/Schema.h"
#include "data/Sums.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

const char* const kCreateVFenlei
    = "Create View v_fenlei as SELECT s_fenlei_x.f_class, s_fenlei.id, s_fenlei.f_id, s_fenlei.f_name, "
      "s_fenlei.f_pinyin, s_fenlei.f_other, s_fenlei_x.f_name AS ff_name FROM s_fenlei INNER JOIN "
      "s_fenlei as s_fenlei_x ON s_fenlei.f_id = s_fenlei_x.id";

const char* const kCreateSZAll
    = "Create View s_z_all as SELECT v_fenlei.f_name, s_user.Sys_name, z_zhanghu.z_name, s_shouru.id, "
      "s_shouru.s_jine, s_shouru.s_userid, s_shouru.s_other, s_shouru.s_date, s_shouru.s_zhanghuid, "
      "v_fenlei.f_class"
      " FROM ((s_shouru INNER JOIN v_fenlei ON s_shouru.f_fenleiid = v_fenlei.id) INNER JOIN s_user ON "
      "s_shouru.s_userid = s_user.id) INNER JOIN z_zhanghu ON s_shouru.s_zhanghuid = z_zhanghu.id";

QString StartPageCode;
qint64 LoggedInMemberId = 0;
Tx_Data* x_Data = nullptr;

Tx_Data::Tx_Data() : Tx_Data(Database::shared()) {}

Tx_Data::Tx_Data(Database& db, int busyTimeoutMs) : m_db(db), m_busyTimeoutMs(busyTimeoutMs)
{
    if (!x_Data)
        x_Data = this;
    DataModuleCreate();
}

Tx_Data::~Tx_Data()
{
    if (m_folderLock >= 0)
        ::close(m_folderLock);
    if (x_Data == this)
        x_Data = nullptr;
}

void Tx_Data::claimFolder()
{
    if (m_folderLock >= 0)
        ::close(m_folderLock);
    m_folderShared = false;
    m_folderLock
        = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderLock < 0)
        return;
    if (::flock(m_folderLock, LOCK_EX | LOCK_NB) == 0)
        removeLeftoverCopies(m_path);
    else
        m_folderShared = true;
    // From exclusive to shared: the next copy started sees this one.
    (void)::flock(m_folderLock, LOCK_SH);
}

void Tx_Data::DataModuleCreate()
{
    m_path = QFileInfo(QDir::current(), QString::fromLatin1(kDatabaseFileName)).absoluteFilePath();
    m_db.close();
    m_newerFile = false;
    claimFolder();
    if (!m_db.open(m_path, QByteArray(kDatabasePassword), m_busyTimeoutMs))
        return;
    Query q(m_db, QStringLiteral("Select * from sys_sys where id=1"));
    if (!q.next()) {
        // A file without the settings table (an empty or foreign file) is no
        // household database: treated as missing, so the login says so and
        // no page fails on it first.
        if (!q.isPrepared() && !q.locked())
            m_db.close();
        return;
    }
    StartPageCode = q.text(QStringLiteral("skinx"));
    q.reset();
    // A layout this program does not know is not read, let alone written.
    // A step that fails (a read-only file) leaves the layout it had: what
    // needs the step reports it then.
    if (upgradeSchema(m_db) == SchemaUpgrade::Newer) {
        m_newerFile = true;
        m_db.close();
        return;
    }
    UpgradeViews(m_db);
    // Sums built by another layout are built anew; a file that cannot be
    // written keeps them, and the totals then read what it has.
    (void)ensureSums(m_db);
    // The journal's triggers come later (after the login, or with the first
    // action): nothing records before an action, and making them costs the
    // start a noticeable part of its time. A file whose upgrade failed has
    // no journal: the first action reports it, and the purge fails quietly.
    // What is older than the kept days goes at each start; a file that
    // cannot be written keeps it until a start that can.
    (void)purgeJournal(m_db, Clock::now());
}

void Tx_Data::UpgradeViews(Database& db)
{
    Transaction tx(db);
    for (const char* sql : {kCreateVFenlei, "drop view s_z_all", kCreateSZAll}) {
        Query q(db, QString::fromUtf8(sql));
        if (!q.exec())
            break;
    }
    // A failed commit rolls back: the file keeps the views it had.
    (void)tx.commit();
}
