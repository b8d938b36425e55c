#include "app/Pages.h"

#include "app/Tf_main.h"
#include "ledger/Tf_shouru.h"
#include "ledger/Tf_zhichu.h"

namespace {
template <class T>
PageFactory make()
{
    return [] { return static_cast<QWidget*>(new T); };
}
}

namespace Pages {
PageFactory desktop() { return make<Tf_main>(); }
PageFactory zhichu() { return make<Tf_zhichu>(); }
PageFactory shouru() { return make<Tf_shouru>(); }
PageFactory zhanghu() { return {}; }
PageFactory zhuanzhang() { return {}; }
PageFactory shouruleibie() { return {}; }
PageFactory zhichuleibie() { return {}; }
PageFactory jieru() { return {}; }
PageFactory jiechu() { return {}; }
PageFactory liushuibaobiao() { return {}; }
PageFactory fenleibaobiao() { return {}; }
PageFactory renyuanbaobiao() { return {}; }
PageFactory yushuan() { return {}; }
PageFactory system() { return {}; }
PageFactory wannianli() { return {}; }
PageFactory rijiben() { return {}; }
PageFactory dayin() { return {}; }
}
