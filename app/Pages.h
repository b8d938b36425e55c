#pragma once
// Where the main window finds each module's page. A module not carried by
// this build gives an empty factory, and its entry does nothing.

#include <QWidget>
#include <functional>

using PageFactory = std::function<QWidget*()>;

namespace Pages {
PageFactory desktop();
PageFactory zhichu();
PageFactory shouru();
PageFactory zhanghu();
PageFactory zhuanzhang();
PageFactory shouruleibie();
PageFactory zhichuleibie();
PageFactory jieru();
PageFactory jiechu();
PageFactory liushuibaobiao();
PageFactory fenleibaobiao();
PageFactory renyuanbaobiao();
PageFactory qushi();
PageFactory yushuan();
PageFactory system();
PageFactory wannianli();
PageFactory rijiben();
PageFactory dayin();
PageFactory daoru();
PageFactory zhouqi();
}
