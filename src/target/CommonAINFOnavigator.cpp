#include "CommonAINFOnavigator.h"

#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"

namespace limsbridge {

CommonAINFOnavigator* AinfoNavigator = nullptr;

namespace {

constexpr int kAddedLevel = 6;
constexpr int kRegisteredLevel = 5;
constexpr int kErrorLevel = 9;

QString entryKey(int n, const char* field) {
    return "TARGET\\AINFO\\MAP" + QString::number(n) + "\\" + QLatin1String(field);
}

void log(const QString& text, int level) {
    if (Logger)
        Logger->WriteLog(text, level);
}

} // namespace

void CommonAINFOnavigator::DefineTree(QORConfiguration& config) {
    config.DefineTree("TARGET\\AINFO\\ENABLED", "FALSE");
    config.DefineTree("TARGET\\AINFO\\LOGNUMBERWRITES", "FALSE");
    for (int n = 1; n <= kMapEntryCount; ++n) {
        const QString base = "TARGET\\AINFO\\MAP" + QString::number(n);
        config.DefineTree(base + "\\ENABLED", "FALSE");
        config.DefineTree(base + "\\TARGETID", QString());
        config.DefineTree(base + "\\SOURCEID", QString());
    }
}

CommonAINFOnavigator::CommonAINFOnavigator() = default;

void CommonAINFOnavigator::LoadMap() {
    m_loaded = false;
    if (!Config)
        return;
    try {
        m_loaded = loadMap(*Config);
    } catch (const RaisedError&) {
        // A broken entry (no full stop in its TARGETID, an empty name) ends
        // the load: what was built so far stays, but the walk ends at once
        // and no record collects additional info.
        m_loaded = false;
    }
}

bool CommonAINFOnavigator::loadMap(const QORConfiguration& config) {
    if (config.item(QStringLiteral("TARGET\\AINFO\\ENABLED")) != QLatin1String("TRUE"))
        return false;

    m_sourceNames.RemoveAll();
    m_map.RemoveAll();
    for (int n = 1; n <= kMapEntryCount; ++n) {
        if (config.item(entryKey(n, "ENABLED")) != QLatin1String("TRUE"))
            continue;
        const QString sourceId = config.item(entryKey(n, "SOURCEID"));
        const QString targetId = config.item(entryKey(n, "TARGETID"));
        if (!m_sourceNames.Exists(sourceId)) {
            m_sourceNames.Add(sourceId, sourceId);
            log("AINFO_Map: Added '" + sourceId + "' as unique source field identifier", kAddedLevel);
        }
        const QStringList parts = targetId.split(QLatin1Char('.'));
        if (parts.size() < 2)
            throw RaisedError(9, QStringLiteral("Subscript out of range"));
        RegisterMapEntry(parts.at(0), sourceId, parts.at(1));
    }

    m_count = m_sourceNames.Count();
    m_sourceList = m_count > 0 ? m_sourceNames.Keys() : QStringList();
    log("AINFO_Map: Registered " + QString::number(m_count) + " source fields", kRegisteredLevel);
    return true;
}

void CommonAINFOnavigator::RegisterMapEntry(const QString& facility, const QString& sourceName,
                                            const QString& column) {
    std::shared_ptr<HashTable<QString>> columns = m_map.Item(facility);
    if (!columns)
        columns = std::make_shared<HashTable<QString>>();
    // The first entry of a facility and source field decides its column.
    if (!columns->Exists(sourceName))
        columns->Add(sourceName, column);
    m_map.setItem(facility, columns);
}

void CommonAINFOnavigator::MoveFirst_Map() {
    m_cursor = m_count < 1 ? m_count : 1;
}

QString CommonAINFOnavigator::Current_Map() const {
    if (m_cursor < 1 || m_cursor > m_count || m_cursor > m_sourceList.size())
        return QString();
    return m_sourceList.at(m_cursor - 1);
}

void CommonAINFOnavigator::SourceRecord_New() {
    // Sized for about twice the names it can hold; the bucket count also
    // fixes the order in which the record's names are later transposed.
    const qint32 size = m_count < 1 ? 1 : 2 * m_count;
    m_currentRecord = std::make_shared<Record>();
    m_currentRecord->SetSize(size, size, size);
}

void CommonAINFOnavigator::SourceRecord_addTo(const QString& name, const QString& value) {
    const QString key = name.toUpper();
    // The set compares exactly, so only names configured in upper case collect values.
    if (key.isEmpty() || !m_currentRecord || !m_sourceNames.Exists(key))
        return;
    m_currentRecord->setItem(key, value);
}

CommonAINFOnavigator::RecordPtr
CommonAINFOnavigator::TransposeSource2Result(const RecordPtr& sourceRecord, const QString& facility,
                                             const ColumnsByFacility& columnsByFacility) const {
    try {
        const std::shared_ptr<HashTable<QString>> facilityColumns = columnsByFacility.Item(facility);
        if (!facilityColumns || facilityColumns->Count() == 0)
            return nullptr;

        const std::shared_ptr<HashTable<QString>> columnBySource = m_map.Item(facility);
        if (!columnBySource || columnBySource->Count() == 0)
            return nullptr;

        auto result = std::make_shared<Record>();
        // A record without values (none of its mapped fields delivered one)
        // simply has nothing to add.
        if (!sourceRecord || sourceRecord->Count() == 0)
            return result;
        for (const QString& sourceName : sourceRecord->Keys()) {
            if (columnBySource->Exists(sourceName))
                result->Add(columnBySource->Item(sourceName), sourceRecord->Item(sourceName));
        }
        return result;
    } catch (const RaisedError& error) {
        // Typically two source fields mapped to the same column of this facility.
        log("CommonAINFOnavigator.TransposeSource2Result() : Failed with the following error " +
                QString::number(error.number()) + " : " + error.description(),
            kErrorLevel);
        return nullptr;
    }
}

} // namespace limsbridge
