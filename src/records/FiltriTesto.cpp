#include "records/FiltriTesto.h"

#include "common/comUtility.h"

#include <QLineEdit>
#include <QValidator>

namespace {

// Turns any text into a code: upper case, no single quote.
class ValidatoreCodice : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        const int quotesBefore = static_cast<int>(input.left(pos).count(QLatin1Char('\'')));
        input.remove(QLatin1Char('\''));
        input = input.toUpper();
        pos = qMax(0, pos - quotesBefore);
        return Acceptable;
    }

    void fixup(QString &input) const override
    {
        input.remove(QLatin1Char('\''));
        input = input.toUpper();
    }
};

} // namespace

namespace FiltriTesto {

void Codice(QLineEdit *edit)
{
    edit->setValidator(new ValidatoreCodice(edit));
    // Pasted text loses its quotes and line breaks before the box cuts it
    // to its length; a text that makes the whole code loses its blanks
    // around it too.
    comUtility::installPasteFilter(edit, [edit](const QString &text) {
        QString code;
        for (const QChar c : text)
            if (c != u'\'' && c.unicode() >= 0x20 && c.unicode() != 0x7F)
                code += c;
        if (edit->selectedText().size() == edit->text().size())
            code = code.trimmed();
        return code.toUpper();
    });
}

void Decimale(QLineEdit *edit)
{
    comUtility::installKeyFilter(edit, comUtility::DecimalKeyFilter);
}

} // namespace FiltriTesto
