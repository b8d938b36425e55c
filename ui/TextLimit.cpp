#include "ui/TextLimit.h"

#include <QLineEdit>
#include <QValidator>

namespace {
class CharacterLimit : public QValidator {
public:
    CharacterLimit(int n, QObject* parent) : QValidator(parent), m_n(n) {}
    State validate(QString& input, int&) const override
    {
        return TextLimit::characters(input) <= m_n ? Acceptable : Invalid;
    }

private:
    int m_n;
};
}

namespace TextLimit {

void apply(QLineEdit* box, int n)
{
    box->setMaxLength(2 * n);
    box->setValidator(new CharacterLimit(n, box));
}

}  // namespace TextLimit
