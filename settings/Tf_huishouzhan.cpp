#include "settings/Tf_huishouzhan.h"

#include "data/Journal.h"
#include "data/RecycleBin.h"
#include "settings/Tf_system.h"
#include "ui/DataGrid.h"
#include "ui/LookupCombo.h"
#include "ui/Msg.h"
#include "ui/Roles.h"
#include "ui/Theme.h"
#include "ui/WaitCursor.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {
constexpr int kButtonTop = Page::kHeight - 42;

struct OwnerText {
    const char* table;
    const char* gone;  // what the dialog says is gone
    const char* sql;   // where it may go instead
};
const OwnerText kOwners[] = {
    {"s_fenlei", "类别", "select id, f_name from s_fenlei where f_id<>0 and f_class=:c order by id"},
    {"z_zhanghu", "账户", "select id, z_name from z_zhanghu order by id"},
    {"s_user", "用户", "select id, sys_name from s_user order by id"},
};
}  // namespace

Tf_huishouzhan::Tf_huishouzhan(QWidget* parent) : Page("f_huishouzhan", parent)
{
    m_items = new QStandardItemModel(0, 3, this);
    m_items->setHorizontalHeaderLabels({QStringLiteral("删除时间"), QStringLiteral("操作"), QStringLiteral("内容")});
    m_grid = grid(this, "DBGridEh1", QRect(8, 8, kWidth - 16, kButtonTop - 18), m_items);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setColumnWidthsAtLeast({150, 300, 0}, ColContent);
    const struct {
        const char* name;
        const char* caption;
        int x, width;
        void (Tf_huishouzhan::*slot)();
    } buttons[] = {
        {"Button1", "还原", 8, 90, &Tf_huishouzhan::Button1Click},
        {"Button2", "彻底删除", 106, 90, &Tf_huishouzhan::Button2Click},
        {"Button3", "清空回收站", 204, 100, &Tf_huishouzhan::Button3Click},
        {"Button4", "返回系统设置", kWidth - 8 - 110, 110, &Tf_huishouzhan::Button4Click},
    };
    for (const auto& b : buttons)
        connect(button(this, b.name, QString::fromUtf8(b.caption), QRect(b.x, kButtonTop, b.width, 30)),
                &QPushButton::clicked, this, b.slot);
    m_count = label(this, QString(), QRect(316, kButtonTop + 6, 320, 20), "Label1");
    m_count->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::walnut)));
    FormCreate();
}

bool Tf_huishouzhan::FormCreate()
{
    QList<BinItem> items;
    DbError error;
    int days = 0;
    if (!binItems(Database::shared(), &items, &error) || !journalKeepDays(Database::shared(), &days, &error)) {
        Msg::dbError(this, error);
        return false;
    }
    m_items->removeRows(0, m_items->rowCount());
    for (const BinItem& b : std::as_const(items)) {
        auto* time = new QStandardItem(b.time);
        time->setData(b.action, Roles::Value);
        QList<QStandardItem*> row{time, new QStandardItem(b.label), new QStandardItem(b.content)};
        for (QStandardItem* i : row) {
            i->setEditable(false);
            i->setToolTip(i->text());
        }
        m_items->appendRow(row);
    }
    m_count->setText(QStringLiteral("共 %1 项；超过 %2 天的项目在启动时彻底删除").arg(items.size()).arg(days));
    if (m_items->rowCount() > 0)
        m_grid->setCurrentIndex(m_items->index(0, ColTime));
    return true;
}

qint64 Tf_huishouzhan::chosen(const QString& what)
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) {
        Msg::error(this, QStringLiteral("对不起，请先选择要%1的项目").arg(what));
        return 0;
    }
    return m_items->item(current.row(), ColTime)->data(Roles::Value).toLongLong();
}

bool Tf_huishouzhan::pickReplacements(const RestorePlan& plan, QHash<QString, qint64>* replacements)
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("f_huanyuan"));
    dialog.setWindowTitle(QStringLiteral("还原到"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* intro
        = new QLabel(QStringLiteral("“%1”原来所在的以下项目已被彻底删除，请选择还原到哪里：").arg(plan.label), &dialog);
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    QList<QPair<QString, LookupCombo*>> combos;
    for (const MissingOwner& m : plan.missing) {
        const OwnerText* text = nullptr;
        for (const OwnerText& o : kOwners)
            if (m.table == QLatin1String(o.table))
                text = &o;
        if (!text)
            continue;
        auto* combo = new LookupCombo(&dialog);
        combo->setObjectName(QStringLiteral("ComboBox%1").arg(combos.size() + 1));
        DbError error;
        const bool sub = m.table != u"s_fenlei" || !m.recordClass.isEmpty();
        const QString sql = sub ? QString::fromUtf8(text->sql)
                                : QStringLiteral("select id, f_name from s_fenlei where f_id=0 order by id");
        const Binds binds = m.table == u"s_fenlei" && sub ? Binds{{":c", m.recordClass}} : Binds{};
        const QStringList fields = m.table == u"s_fenlei"    ? QStringList{"id", "f_name"}
                                   : m.table == u"z_zhanghu" ? QStringList{"id", "z_name"}
                                                             : QStringList{"id", "sys_name"};
        if (!combo->load(sql, fields[0], fields[1], binds, &error)) {
            Msg::dbError(this, error);
            return false;
        }
        combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
        form->addRow(QStringLiteral("原%1（编号 %2）：").arg(QString::fromUtf8(text->gone)).arg(m.id), combo);
        combos.append({ownerKey(m.table, m.id), combo});
    }
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Button1"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Button2"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        for (const auto& [key, combo] : std::as_const(combos))
            if (!combo->keyValue().isValid()) {
                Msg::error(&dialog, QStringLiteral("对不起，请为每一项选择还原到的位置"));
                combo->setFocus();
                return;
            }
        dialog.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (const auto& [key, combo] : std::as_const(combos))
        replacements->insert(key, combo->keyValue().toLongLong());
    return true;
}

void Tf_huishouzhan::Button1Click()
{
    const qint64 action = chosen(QStringLiteral("还原"));
    if (!action)
        return;
    Database& db = Database::shared();
    RestorePlan plan;
    DbError error;
    if (!planRestore(db, action, &plan, &error)) {
        Msg::dbError(this, error);
        FormCreate();
        return;
    }
    QHash<QString, qint64> replacements;
    if (!plan.missing.isEmpty() && !pickReplacements(plan, &replacements))
        return;
    bool ok;
    {
        WaitCursor wait;
        ok = restoreFromBin(db, plan, replacements, &error);
    }
    if (!ok) {
        if (error.kind() == DbError::Kind::Refused || error.kind() == DbError::Kind::Vanished)
            Msg::error(this, error.message());
        else
            Msg::dbError(this, error);
        return;
    }
    QString text = QStringLiteral("已还原：%1").arg(plan.label);
    if (!plan.alsoRestored.isEmpty())
        text += QStringLiteral("\n它所在的以下项目也在回收站中，已一并还原：\n") + plan.alsoRestored.join(u'\n');
    FormCreate();
    Msg::info(this, text);
}

void Tf_huishouzhan::Button2Click()
{
    const qint64 action = chosen(QStringLiteral("彻底删除"));
    if (!action)
        return;
    const QString label = m_items->item(m_grid->currentIndex().row(), ColLabel)->text();
    if (!Msg::confirm(this, QStringLiteral("是否彻底删除：%1？").arg(label),
                      QStringLiteral("彻底删除后将无法还原，其内容在数据文件中被覆盖。")))
        return;
    DbError error;
    if (!removeFromBin(Database::shared(), action, &error))
        Msg::dbError(this, error);
    FormCreate();
}

void Tf_huishouzhan::Button3Click()
{
    if (m_items->rowCount() == 0) {
        Msg::info(this, QStringLiteral("回收站是空的"));
        return;
    }
    if (!Msg::confirm(this, QStringLiteral("是否清空回收站？"),
                      QStringLiteral("其中的 %1 项将被彻底删除，无法还原。").arg(m_items->rowCount())))
        return;
    DbError error;
    bool ok;
    {
        WaitCursor wait;
        ok = emptyBin(Database::shared(), &error);
    }
    if (!ok)
        Msg::dbError(this, error);
    FormCreate();
}

void Tf_huishouzhan::Button4Click()
{
    emit openPageRequested([] { return new Tf_system; });
}
