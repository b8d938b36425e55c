#pragma once
// The recurring plans (周期账单), edited in a batch: name, kind, category,
// accounts, member, amount (or 金额不固定), the rule (edited in its own
// dialog), start, end date or number of occurrences, how due occurrences
// are handled, how many days ahead they are listed, and whether the plan
// still runs.

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
    bool query();

    BatchModel* m_model;
    DataGrid* m_grid;
    BatchEditor* m_editor;
};
