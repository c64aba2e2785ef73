// One plant variable of one facility as the matcher reads it from vardesc:
// its identity, units, type code, decimal places, approval level, the
// laboratory cross-references it matches on, the symbol rules that turn
// texts such as "<5" into values, and the text list of a text variable.
// Filled right after creation by the matcher, then only read; shared by every
// caller that looks the variable up.
#pragma once

#include "core/HashTable.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace limsbridge {

class CommonTypeVarRec {
public:
    //! Decimal places meaning "write the value with the decimals it arrives with".
    static constexpr qint16 kKeepDecimals = 9999;
    //! Decimal places used when the configured value cannot be read.
    static constexpr qint16 kFallbackDecimals = 5;

    CommonTypeVarRec();

    qint16 SymbolCount() const { return m_symbolCount; }

    //! Fills the text list from TAB-separated items: trimmed, upper-cased,
    //! empty and repeated items skipped, positions counted from 1.
    void LoadTextListHash(const QString& list);
    //! The list position of the text (trimmed, upper-cased); 0 when it is
    //! empty or not in the list.
    qint16 GetTextListHashIndex(const QString& text) const;

    void AddSymbol(const QString& Symbol, bool AllowNumeric, qint16 Rule, double factor);
    //! Reads symbol rule `index` (from 0); an index outside the rules leaves
    //! the outputs as they are.
    void GetSymbolByIndex(int index, QString& symbol, bool& allowNumeric, qint16& rule, double& factor) const;

    void setAllowSymbol(bool allow) { m_allowSymbol = allow; }
    void setLimitToLIST(bool limit) { m_limitToList = limit; }
    void setDataApproval(qint32 approval) { m_dataApproval = approval; }
    void setDesc(const QVariant& value) { m_description = text(value); }
    //! The value as a 16-bit integer; 5 when it is null, not numeric or out of range.
    void setDecPlaces(const QVariant& value);
    void setName(const QVariant& value) { m_name = text(value); }
    void setUnits(const QVariant& value) { m_units = text(value); }
    void setVartype(const QString& code) { m_varType = code; }
    void setFacilID(const QString& facility) { m_facility = facility; }
    void setId(qint32 id) { m_id = id; }
    void setNumber(qint32 number) { m_number = number; }
    void setLimsLocation(const QVariant& value) { m_limsLocation = text(value); }
    void setLimsTest(const QVariant& value) { m_limsTest = text(value); }
    void setLimsUD1(const QVariant& value) { m_limsUd1 = text(value); }
    void setLimsUD2(const QVariant& value) { m_limsUd2 = text(value); }
    void setLimsUD3(const QVariant& value) { m_limsUd3 = text(value); }

    QString gFacilID() const { return m_facility; }
    qint32 gID() const { return m_id; }
    qint32 gNumber() const { return m_number; }
    QString gName() const { return m_name; }
    QString gUnits() const { return m_units; }
    QString gVarType() const { return m_varType; }
    qint16 gDecPlaces() const { return m_decPlaces; }
    QString gDesc() const { return m_description; }
    qint32 gDataApproval() const { return m_dataApproval; }
    QString gLimsLocation() const { return m_limsLocation; }
    QString gLimsTest() const { return m_limsTest; }
    QString gLimsUd1() const { return m_limsUd1; }
    QString gLimsUd2() const { return m_limsUd2; }
    QString gLimsUd3() const { return m_limsUd3; }
    bool gAllowSymbol() const { return m_allowSymbol; }
    bool gLimitToLIST() const { return m_limitToList; }

private:
    struct SymbolRule {
        QString symbol;
        bool allowNumeric = false;
        qint16 rule = 0;
        double factor = 0;
    };

    //! A database value as text; null gives empty text.
    static QString text(const QVariant& value);

    qint16 m_symbolCount = 0;
    QString m_facility;
    qint32 m_id = 0;
    qint32 m_number = 0;
    QString m_name;
    QString m_units;
    QString m_varType;
    qint16 m_decPlaces = 0;
    QString m_description;
    qint32 m_dataApproval = 0;
    bool m_limitToList = false;
    QString m_limsLocation;
    QString m_limsTest;
    QString m_limsUd1;
    QString m_limsUd2;
    QString m_limsUd3;
    bool m_allowSymbol = false;
    std::vector<SymbolRule> m_symbols;
    //! Upper-case list text -> its position "1", "2", ...
    std::unique_ptr<HashTable<QString>> m_textList;
};

} // namespace limsbridge
