#include "ledger/TF_shouruleibie.h"
#include "ledger/TF_zhichuleibie.h"

namespace {
const CategoryTraits kShouru{"F_shouruleibie", 'S', true};
const CategoryTraits kZhichu{"F_zhichuleibie", 'Z', false};
}

TF_shouruleibie::TF_shouruleibie(QWidget* parent) : CategoryPage(kShouru, parent) {}
TF_zhichuleibie::TF_zhichuleibie(QWidget* parent) : CategoryPage(kZhichu, parent) {}
