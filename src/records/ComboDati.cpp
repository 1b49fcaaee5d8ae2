#include "records/ComboDati.h"

#include "common/comUtility.h"

#include <QCompleter>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalBlocker>

using platform::Variant;

ComboDati::ComboDati(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Typing completes to the first entry that begins with the whole text.
    if (QCompleter *completion = completer()) {
        completion->setCompletionMode(QCompleter::InlineCompletion);
        completion->setCaseSensitivity(Qt::CaseInsensitive);
    }
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_Toccato = true; });
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_Programma)
            m_Toccato = true;
    });
}

void ComboDati::AggiungiVoce(const QString &text, const Variant &value)
{
    const QSignalBlocker blocker(this);
    m_Programma = true;
    addItem(text, QVariant::fromValue(value));
    m_Programma = false;
}

void ComboDati::Svuota()
{
    const QSignalBlocker blocker(this);
    m_Programma = true;
    clear();
    m_Programma = false;
}

Variant ComboDati::ValoreVoce(int index) const
{
    if (index < 0 || index >= count())
        return Variant::null();
    return itemData(index).value<Variant>();
}

int ComboDati::IndiceValore(const Variant &value) const
{
    if (value.isNull() || value.isEmpty())
        return -1;
    for (int i = 0; i < count(); ++i) {
        const Variant item = ValoreVoce(i);
        if (item.isString() && value.isString()) {
            if (item.toString().compare(value.toString(), Qt::CaseInsensitive) == 0)
                return i;
        } else if (item == value) {
            return i;
        }
    }
    return -1;
}

void ComboDati::MostraValore(const Variant &value)
{
    const int index = IndiceValore(value);
    m_Programma = true;
    setCurrentIndex(index);
    // A value that is no longer in the list still shows as it is stored.
    if (index < 0)
        setEditText(value.isNull() || value.isEmpty() ? QString() : value.toString());
    m_Programma = false;
    m_Toccato = false;
    // A long entry shows its beginning.
    lineEdit()->setCursorPosition(0);
}

std::optional<int> ComboDati::Scelta() const
{
    const QString text = currentText().trimmed();
    if (text.isEmpty())
        return -1;
    const int current = currentIndex();
    if (current >= 0 && itemText(current).trimmed().compare(text, Qt::CaseInsensitive) == 0)
        return current;
    const int found = findText(text, Qt::MatchFixedString);
    if (found >= 0)
        return found;
    return std::nullopt;
}

bool ComboDati::Conferma()
{
    const std::optional<int> chosen = Scelta();
    if (!chosen)
        return false;
    if (*chosen != currentIndex())
        setCurrentIndex(*chosen);
    if (*chosen < 0)
        setEditText(QString());
    return true;
}

void ComboDati::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    // The text the box selects on entry shows from its beginning.
    if (lineEdit()->hasSelectedText() && lineEdit()->selectedText() == lineEdit()->text())
        comUtility::SelectAllFromStart(lineEdit());
}
