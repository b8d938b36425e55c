#pragma once
// The data module: opens the household's database file once at start, reads
// the start page code and upgrades the two views the program defines itself.

#include "data/Database.h"

#include <QString>

inline constexpr char kDatabaseFileName[] = "fmy.dll";
inline constexpr char kDatabasePassword[] = "kvt7q5821wnb";

// The program's own view definitions, exactly as the upgrade writes them.
extern const char* const kCreateVFenlei;
extern const char* const kCreateSZAll;

// sys_sys.skinx as read at start; a new setting takes effect at the next start.
extern QString StartPageCode;

// The member who logged in (s_user.id), set by the login; 0 before one.
extern qint64 LoggedInMemberId;

class Tx_Data {
public:
    // Runs DataModuleCreate on the shared connection. busyTimeoutMs: how long
    // the start waits for a file another program holds.
    Tx_Data();
    explicit Tx_Data(Database& db, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    // Clears x_Data when it points here.
    ~Tx_Data();
    Tx_Data(const Tx_Data&) = delete;
    Tx_Data& operator=(const Tx_Data&) = delete;

    // Opens fmy.dll in the current directory, brings its layout up to date
    // (data/Schema.h) and upgrades the views. Failures are silent here: the
    // login reports them (a missing or unreadable file, one locked by
    // another program: see Database::locked, or one of a newer program).
    void DataModuleCreate();

    Database& ADOConnection1() { return m_db; }
    bool isOpen() const { return m_db.isOpen(); }
    // Absolute path of the open file; backup and restore address this file.
    QString databasePath() const { return m_path; }

    // Create v_fenlei; drop s_z_all; create s_z_all. The first failure ends
    // it; what ran before stays. Runs inside one transaction so the file is
    // never left without s_z_all.
    static void UpgradeViews(Database& db);

    // The file was written by a newer program (its layout number is higher
    // than this one knows): it was closed unread, the login says so.
    bool newerFile() const { return m_newerFile; }

    // Another copy of the program had the folder of the file when this one
    // started: leftovers were not swept then.
    bool folderShared() const { return m_folderShared; }

private:
    // Marks the folder as in use by this copy of the program for its life
    // (a shared lock on the folder, never on the file: closing a descriptor
    // of the file would drop the engine's locks) and sweeps what a backup
    // or restore cut short left behind when no other copy uses it.
    void claimFolder();

    Database& m_db;
    int m_busyTimeoutMs;
    QString m_path;
    int m_folderLock = -1;
    bool m_folderShared = false;
    bool m_newerFile = false;
};

// The data module of the running program: the first one created; null before
// it exists and again after it is destroyed.
extern Tx_Data* x_Data;
