#include "loans/Tf_jiechu.h"
#include "loans/Tf_jieru.h"

namespace {
const LoanTraits kJieru{"f_jieru", 'S', "借入金额", true};
const LoanTraits kJiechu{"f_jiechu", 'Z', "借出金额", false};
}

Tf_jieru::Tf_jieru(QWidget* parent) : LoanPage(kJieru, parent) {}
Tf_jiechu::Tf_jiechu(QWidget* parent) : LoanPage(kJiechu, parent) {}
