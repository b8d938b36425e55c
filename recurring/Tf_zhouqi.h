#pragma once
// The recurring plans (周期账单), edited in a batch: name, kind, category,
// accounts, member, amount (or 金额不固定), the rule (edited in its own
// dialog), start, end date or number of occurrences, how due occurrences
// are handled, how many days ahead they are listed, and whether the plan
// still runs.

#include "recurring/Plans.h"
#include "ui/Page.h"

class BatchEditor;
class BatchModel;
class DataGrid;

class Tf_zhouqi : public Page {
    Q_OBJECT
public:
    explicit Tf_zhouqi(QWidget* parent = nullptr);

    enum Col {
        ColId,
        ColType,
        ColCategoryId,
        ColAccountId,
        ColToAccountId,
        ColMemberId,
        ColRule,
        ColVaries,
        ColMode,
        ColName,
        ColTypeName,
        ColCategory,
        ColAccount,
        ColToAccount,
        ColMember,
        ColAmount,
        ColVariesName,
        ColRuleText,
        ColStart,
        ColEnd,
        ColCount,
        ColModeName,
        ColAhead,
        ColState
    };

public slots:
    bool FormCreate();
    void Button1Click();  // 增加
    void Button2Click();  // 删除
    void Button3Click();  // 保存
    void Button4Click();  // 规则…: the current plan's rule
    void Button5Click();  // 待处理: the due list now

private:
    void buildEditor();
    // The plan as the row holds it, or as it is stored.
    Plan planOfRow(int row, bool stored) const;
    // An edit of saved plans, as the user chose its scope: 仅本期 (1),
    // 本期及以后 (2) or 全部未入账 (3, the rows as written).
    bool applyScope(Database& db, DbError* error);
    int m_scope = 3;
    bool query();

    BatchModel* m_model;
    DataGrid* m_grid;
    BatchEditor* m_editor;
};
