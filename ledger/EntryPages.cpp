#include "ledger/AmountCalculator.h"
#include "ledger/Tf_shouru.h"
#include "ledger/Tf_zhichu.h"

namespace {
// The calculator keeps one state per page class, across visits.
CalcState g_zhichuCalc;
CalcState g_shouruCalc;

const EntryTraits kZhichu{
    "f_zhichu", 'Z', true, "付款人：", "预算信息", "", "本月预算金额", "实际金额", &g_zhichuCalc,
};
const EntryTraits kShouru{
    "f_shouru", 'S', false, "收款人", "本月比上月增长", "收入增长", "本月收入", "上月收入", &g_shouruCalc,
};
}

Tf_zhichu::Tf_zhichu(QWidget* parent) : EntryPage(kZhichu, parent) {}
Tf_shouru::Tf_shouru(QWidget* parent) : EntryPage(kShouru, parent) {}
