#include "app/Pages.h"

#include "accounts/Tf_zhanghu.h"
#include "accounts/Tf_zhuanzhang.h"
#include "app/Links.h"
#include "app/Tf_main.h"
#include "budget/Tf_yushuan.h"
#include "calendar/Tf_rijiben.h"
#include "calendar/Tf_wannianli.h"
#include "import/Tf_daoru.h"
#include "ledger/TF_shouruleibie.h"
#include "ledger/TF_zhichuleibie.h"
#include "ledger/Tf_shouru.h"
#include "ledger/Tf_zhichu.h"
#include "loans/Tf_jiechu.h"
#include "loans/Tf_jieru.h"
#include "recurring/Tf_zhouqi.h"
#include "reports/Tf_dayin.h"
#include "reports/Tf_fenleibaobiao.h"
#include "reports/Tf_liushuibaobiao.h"
#include "reports/Tf_qushi.h"
#include "reports/Tf_renyuanbaobiao.h"
#include "settings/Tf_system.h"

namespace {
template <class T> PageFactory make()
{
    return [] { return static_cast<QWidget*>(new T); };
}
}

namespace Pages {
PageFactory desktop() { return make<Tf_main>(); }
PageFactory zhichu() { return make<Tf_zhichu>(); }
PageFactory shouru() { return make<Tf_shouru>(); }
PageFactory zhanghu() { return make<Tf_zhanghu>(); }
PageFactory zhuanzhang() { return make<Tf_zhuanzhang>(); }
PageFactory shouruleibie() { return make<TF_shouruleibie>(); }
PageFactory zhichuleibie() { return make<TF_zhichuleibie>(); }
PageFactory jieru() { return make<Tf_jieru>(); }
PageFactory jiechu() { return make<Tf_jiechu>(); }
PageFactory liushuibaobiao() { return make<Tf_liushuibaobiao>(); }
PageFactory fenleibaobiao() { return make<Tf_fenleibaobiao>(); }
PageFactory renyuanbaobiao() { return make<Tf_renyuanbaobiao>(); }
PageFactory qushi() { return make<Tf_qushi>(); }
PageFactory yushuan() { return make<Tf_yushuan>(); }
PageFactory system()
{
    return [] {
        auto* page = new Tf_system;
        page->setVersionUrl(QString::fromLatin1(kVersionUrl));
        return static_cast<QWidget*>(page);
    };
}
PageFactory wannianli() { return make<Tf_wannianli>(); }
PageFactory rijiben() { return make<Tf_rijiben>(); }
PageFactory dayin() { return make<Tf_dayin>(); }
PageFactory daoru() { return make<Tf_daoru>(); }
PageFactory zhouqi() { return make<Tf_zhouqi>(); }
}
