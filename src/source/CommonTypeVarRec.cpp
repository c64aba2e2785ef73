#include "CommonTypeVarRec.h"

#include "core/VbConvert.h"

#include <optional>

namespace limsbridge {

CommonTypeVarRec::CommonTypeVarRec() = default;

void CommonTypeVarRec::LoadTextListHash(const QString& list) {
    // Only text variables have a list, and an empty table is not small, so
    // the table is made when the first list arrives; a record without one
    // answers 0 for every text, as an empty list would.
    if (!m_textList)
        m_textList = std::make_unique<HashTable<QString>>();
    // Positions continue after the items already listed, so that a second
    // call cannot hand out a position twice.
    qint32 position = m_textList->Count();
    for (const QString& raw : list.split(QLatin1Char('\t'))) {
        const QString item = raw.trimmed().toUpper();
        if (item.isEmpty() || m_textList->Exists(item))
            continue;
        ++position;
        m_textList->Add(item, QString::number(position));
    }
}

qint16 CommonTypeVarRec::GetTextListHashIndex(const QString& text) const {
    const QString item = text.trimmed().toUpper();
    if (item.isEmpty() || !m_textList || !m_textList->Exists(item))
        return 0;
    return Vb::CInt(m_textList->Item(item)).value_or(0);
}

void CommonTypeVarRec::AddSymbol(const QString& Symbol, bool AllowNumeric, qint16 Rule, double factor) {
    m_symbols.push_back(SymbolRule{Symbol, AllowNumeric, Rule, factor});
    ++m_symbolCount;
}

void CommonTypeVarRec::GetSymbolByIndex(int index, QString& symbol, bool& allowNumeric, qint16& rule,
                                        double& factor) const {
    if (index < 0 || index >= static_cast<int>(m_symbols.size()))
        return;
    const SymbolRule& entry = m_symbols[static_cast<std::size_t>(index)];
    symbol = entry.symbol;
    allowNumeric = entry.allowNumeric;
    rule = entry.rule;
    factor = entry.factor;
}

void CommonTypeVarRec::setDecPlaces(const QVariant& value) {
    std::optional<qint16> places;
    if (value.isNull())
        places = std::nullopt;
    else if (value.typeId() == QMetaType::Bool)
        places = qint16(value.toBool() ? -1 : 0); // a Boolean converts as -1 / 0
    else if (value.typeId() == QMetaType::QString)
        places = Vb::CInt(value.toString());
    else if (Vb::IsNumeric(value))
        places = Vb::CInt(value.toDouble());
    m_decPlaces = places.value_or(kFallbackDecimals);
}

QString CommonTypeVarRec::text(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

} // namespace limsbridge
