#pragma once
// The settings page: the members who may log in and their passwords, the
// page shown after the login, backup and restore of the database file,
// clearing all bookkeeping records, the automatic backups at the end of the
// program, and the check for a newer version.

#include "data/DbError.h"
#include "ui/Page.h"

#include <QVariant>
#include <functional>

class BatchEditor;
class BatchModel;
class DataGrid;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QSpinBox;

class Tf_system : public Page {
    Q_OBJECT
public:
    explicit Tf_system(QWidget* parent = nullptr);

    enum Col { ColId, ColName, ColPassword };
    // The version this program is.
    static constexpr int kVersion = 12;
    static constexpr int kDefaultVersionTimeoutMs = 10000;

    // Where the version check asks; the environment variable
    // JIZHANG_VERSION_URL (the whole address) overrides it.
    void setVersionUrl(const QString& url) { m_versionUrl = url; }
    QString versionUrl() const;
    void setVersionTimeout(int ms) { m_versionTimeoutMs = ms; }
    // How the page ends the program after a restore, a clear-all or a found
    // update; by default it closes the main window. Tests pass their own.
    void setQuitAction(std::function<void()> quit) { m_quit = std::move(quit); }

public slots:
    void FormCreate();
    void FormShow() override;
    void Button46Click();  // 增加 (member)
    void Button47Click();  // 删除 (member)
    void Button48Click();  // 保存 (members)
    void Button1Click();   // 保存设置
    void Button53Click();  // 数据库备份
    void Button55Click();  // 数据库还原
    void Button2Click();   // 清空所有数据
    void Button3Click();   // 确认清空
    void Button4Click();   // 取消
    void Button51Click();  // 在线升级
    void Button5Click();   // 删除前的备份
    void Button70Click();  // 回收站
    void Button71Click();  // 导出全部数据

private:
    void buildMembers();
    void buildConfiguration();
    void buildBottomRow();
    void buildExport();
    void buildClearBox();
    void buildBin();
    void keepDaysChanged(int days);
    bool openMembers();
    void buildMemberEditor();
    void showStartPage();
    void autoBackupToggled(bool on);
    // A file picked in the program's own file dialog; empty when cancelled.
    QString chooseFile(bool save, const QString& title, const QString& folder);
    void startUpdater();
    // The verified copy written before a deletion; false after the failure was shown.
    bool writeCopyBefore(const QString& target);

    QSpinBox* m_keepDays = nullptr;  // 回收站保留天数
    QString m_clearCopy;             // where 确认清空 writes its copy first

    BatchModel* m_members;  // ADOQuery16
    DataGrid* m_grid;       // DBGridEh16
    BatchEditor* m_memberEditor;
    QString m_memberCopy;
    // The member 删除 acts on: their records, counted for label and question.
    QVariant m_memberRecordCount;
    DbError m_memberRecords;    // the copy written before a member goes
    QButtonGroup* m_startPage;  // r_1 .. r_5
    QCheckBox* m_autoBackup;
    QGroupBox* m_clearBox;  // 一键清空所有记账信息
    QString m_versionUrl;
    int m_versionTimeoutMs = kDefaultVersionTimeoutMs;
    std::function<void()> m_quit;
};
