#include "QORConfiguration.h"

#include "core/ConfigXml.h"
#include "core/QORLoggerTXT.h"
#include "platform/DataCipher.h"
#include "platform/RaisedError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>

namespace limsbridge {

namespace {

const QString kRootName = QStringLiteral("qorconfigurationxml");
const QString kSpecName = QStringLiteral("spec");
const QString kDataName = QStringLiteral("data");
const QString kVersionAttribute = QStringLiteral("version");
const QString kEncryptedAttribute = QStringLiteral("encrypted");
// Readers ignore this text; it only tells a person opening the file what it is.
const QString kReferenceText = QStringLiteral("LIMS Bridge configuration file, format version 1");
const QString kDashedLine = QStringLiteral(">>>--------------------------------------------------------------");

constexpr qint32 kKeyBuckets = 4096;
constexpr int kErrorLevel = 0;
constexpr int kDetailLevel = 2;

// The pass phrase is put together from single characters when the store is
// created, so that it never appears whole in the executable.
QString assemblePassPhrase()
{
    const QChar p0(u'7');
    const QChar p1(u'q');
    const QChar p2(u'R');
    const QChar p3(u'%');
    const QChar p4(u'm');
    const QChar p5(u'4');
    const QChar p6(u'Z');
    const QChar p7(u'x');
    const QChar p8(u'!');
    const QChar p9(u'k');
    QString phrase;
    phrase.reserve(10);
    for (const QChar c : {p3, p7, p0, p9, p2, p5, p1, p8, p6, p4})
        phrase += c;
    return phrase;
}

// Walks the key's path below parent, creating and appending each missing
// element; created tells whether any part had to be made.
QDomElement walkPath(QDomDocument& document, QDomElement parent, const QStringList& parts, bool& created)
{
    created = false;
    for (const QString& part : parts) {
        QDomElement child = parent.firstChildElement(part);
        if (child.isNull()) {
            child = document.createElement(part);
            parent.appendChild(child);
            created = true;
        }
        parent = child;
    }
    return parent;
}

QStringList keyParts(const QString& key)
{
    return key.split(QLatin1Char('\\'));
}

bool allElementNames(const QStringList& parts)
{
    return std::all_of(parts.begin(), parts.end(), ConfigXml::isElementName);
}

void removeChildren(QDomElement& element)
{
    while (!element.firstChild().isNull())
        element.removeChild(element.firstChild());
}

} // namespace

QORConfiguration::QORConfiguration() : m_passPhrase(assemblePassPhrase())
{
    m_keys.SetSize(kKeyBuckets);
}

bool QORConfiguration::ItemExists(const QString& key) const
{
    return m_keys.Exists(key);
}

QString QORConfiguration::item(const QString& key) const
{
    const QString upper = key.toUpper();
    if (!m_keys.Exists(upper))
        throw RaisedError(10781, QStringLiteral("Key does not exist in TreeHash (KB10781): ") + upper);
    return m_keys.Item(upper);
}

void QORConfiguration::setItem(const QString& key, const QString& value)
{
    const QString upper = key.toUpper();
    if (!m_keys.Exists(upper))
        throw RaisedError(10781, QStringLiteral("Key does not exist in TreeHash (KB10781): ") + upper);
    m_keys.setItem(upper, value);
    m_changeWasMade = true;
}

bool QORConfiguration::ReadConfig()
{
    const QFileInfo file(m_path);
    if (m_path.isEmpty() || !file.exists() || !file.isFile()) {
        log(QStringLiteral("Configuration file does not exist at ") + m_path, kErrorLevel);
        log(QStringLiteral("Attempting to create a default configuration file..."), kErrorLevel);
        if (!saveConfig(false)) {
            log(QStringLiteral("Unable to create default configuration file in QORConfiguration.ReadConfig()."),
                kErrorLevel);
            return false;
        }
        log(QStringLiteral("Default configuration file successfully created."), kErrorLevel);
    }

    if (!LoadXML(m_path)) {
        log(QStringLiteral("LoadXML() failed in QORConfiguration.ReadConfig()."), kErrorLevel);
        return false;
    }
    if (!ValidateXMLformat(m_document)) {
        log(QStringLiteral("ValidateXMLFormat failed in QORConfiguration.ReadConfig()."), kErrorLevel);
        return false;
    }
    m_dataNode = m_document.documentElement().firstChildElement(kDataName);
    if (!copyTreeToTable(m_dataNode)) {
        log(QStringLiteral("XMLtoTreeHash() failed in QORConfiguration.ReadConfig()."), kErrorLevel);
        return false;
    }
    m_changeWasMade = false;
    return true;
}

bool QORConfiguration::SaveConfig()
{
    return saveConfig(true);
}

void QORConfiguration::DefineTree(const QString& key, const QString& defaultText)
{
    const QString normalized = key.toUpper().trimmed();
    if (!m_keys.Exists(normalized))
        m_keys.Add(normalized, defaultText);
}

void QORConfiguration::DefineTree(std::span<const KeyDefault> catalogue)
{
    for (const KeyDefault& entry : catalogue)
        DefineTree(QString::fromUtf8(entry.key), QString::fromUtf8(entry.defaultText));
}

void QORConfiguration::dumpConfiguration()
{
    if (!m_logger || m_logger->Verbosity() < 2)
        return;
    log(kDashedLine, kDetailLevel);
    log(QStringLiteral("Configuration Settings :"), kDetailLevel);
    if (m_keys.Count() > 0) {
        const QList<QString> keys = m_keys.Keys();
        const QList<QString> values = m_keys.Values();
        for (qsizetype i = 0; i < keys.size(); ++i)
            log(keys[i] + QStringLiteral(" : ") + values[i], kDetailLevel);
    }
    log(kDashedLine, kDetailLevel);
}

bool QORConfiguration::LoadXML(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        logXmlFailure(QStringLiteral("DocumentRoot.LoadXmlFile returned 0 in QORConfiguration.LoadXML()"),
                      file.errorString());
        return false;
    }
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(&file, &message, &line, &column)) {
        logXmlFailure(QStringLiteral("DocumentRoot.LoadXmlFile returned 0 in QORConfiguration.LoadXML()"),
                      QStringLiteral("%1 (line %2, column %3)").arg(message).arg(line).arg(column));
        return false;
    }
    m_document = document;
    return true;
}

bool QORConfiguration::SaveXML(const QDomDocument& document, const QString& path)
{
    // QSaveFile writes a temporary file beside the target and renames it over
    // the old one on commit, so a failed or interrupted save never leaves a
    // half-written configuration behind.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        const QByteArray text = ConfigXml::documentText(document);
        if (file.write(text) == text.size() && file.commit())
            return true;
    }
    const QString details = file.errorString();
    file.cancelWriting();
    logXmlFailure(QStringLiteral("XMLTree.SaveXML returned 0 in QORConfiguration.SaveXML()"), details);
    return false;
}

bool QORConfiguration::ValidateXMLformat(QDomDocument& document)
{
    QDomElement root = document.documentElement();
    if (root.isNull() || root.tagName() != kRootName)
        return false;
    const QDomElement spec = root.firstChildElement(kSpecName);
    QDomElement data = root.firstChildElement(kDataName);
    if (spec.isNull() || data.isNull())
        return false;
    if (spec.attribute(kVersionAttribute) != QLatin1String("1"))
        return false;
    if (spec.hasAttribute(kEncryptedAttribute) && spec.attribute(kEncryptedAttribute) == QLatin1String("True")) {
        // Undecryptable data is not fatal: the keys keep their current values
        // and the next save writes them out again.
        if (!decryptData(document, data))
            log(QStringLiteral("Failed to decrypt XML data in QORConfiguration.ValidateXMLformat()"), kErrorLevel);
    }
    return true;
}

bool QORConfiguration::saveConfig(bool allowEncryption)
{
    QDomDocument document;
    QDomElement root = document.createElement(kRootName);
    QDomElement spec = document.createElement(kSpecName);
    spec.appendChild(document.createTextNode(kReferenceText));
    spec.setAttribute(kVersionAttribute, QStringLiteral("1"));
    spec.setAttribute(kEncryptedAttribute, QStringLiteral("False"));
    QDomElement data = document.createElement(kDataName);

    if (!copyTableToTree(document, data))
        return false;

    if (allowEncryption && m_encryptData) {
        spec.setAttribute(kEncryptedAttribute, QStringLiteral("True"));
        if (!encryptData(document, data)) {
            log(QStringLiteral("EncyptTree() failed in QORConfiguration.SaveConfig(). Will have to save without "
                               "requested encyption."),
                kDetailLevel);
            spec.setAttribute(kEncryptedAttribute, QStringLiteral("False"));
        }
    }

    document.appendChild(root);
    root.appendChild(spec);
    root.appendChild(data);
    const bool saved = SaveXML(document, m_path);
    m_changeWasMade = false;
    return saved;
}

bool QORConfiguration::copyTableToTree(QDomDocument& document, QDomElement& data)
{
    if (m_keys.Count() == 0)
        return true;
    const QList<QString> keys = m_keys.Keys();
    const QList<QString> values = m_keys.Values();
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QStringList parts = keyParts(keys[i]);
        // A part that is no element name would make a file that can never be
        // read again; refuse to write rather than lose every setting.
        if (!allElementNames(parts))
            return false;
        bool created = false;
        QDomElement element = walkPath(document, data, parts, created);
        if (!values[i].isEmpty())
            ConfigXml::setElementValue(document, element, values[i]);
    }
    return true;
}

bool QORConfiguration::copyTreeToTable(QDomElement& data)
{
    if (data.isNull())
        return false;
    if (m_keys.Count() == 0)
        return true;
    const QList<QString> keys = m_keys.Keys();
    for (const QString& key : keys) {
        const QStringList parts = keyParts(key);
        if (!allElementNames(parts))
            continue;
        bool created = false;
        const QDomElement element = walkPath(m_document, data, parts, created);
        // A key missing from the file keeps its current value.
        if (!created)
            m_keys.setItem(key, ConfigXml::elementValue(element));
    }
    return true;
}

bool QORConfiguration::decryptData(QDomDocument& document, QDomElement& data)
{
    QString plain;
    if (!DataCipher::decrypt(ConfigXml::elementValue(data), m_passPhrase, plain))
        return false;
    QDomDocument unpacked;
    if (!unpacked.setContent(QStringLiteral("<data>") + plain + QStringLiteral("</data>")))
        return false;
    removeChildren(data);
    const QDomElement packedRoot = unpacked.documentElement();
    for (QDomNode child = packedRoot.firstChild(); !child.isNull(); child = child.nextSibling())
        data.appendChild(document.importNode(child, true));
    return true;
}

bool QORConfiguration::encryptData(QDomDocument& document, QDomElement& data)
{
    QString cipherText;
    if (!DataCipher::encrypt(ConfigXml::childrenText(data), m_passPhrase, cipherText))
        return false;
    removeChildren(data);
    data.appendChild(document.createTextNode(cipherText));
    return true;
}

void QORConfiguration::log(const QString& text, int level) const
{
    if (m_logger)
        m_logger->WriteLog(text, level);
}

void QORConfiguration::logXmlFailure(const QString& what, const QString& details) const
{
    log(kDashedLine, kDetailLevel);
    log(what, kDetailLevel);
    log(QStringLiteral("    Details:"), kDetailLevel);
    log(details, kDetailLevel);
    log(kDashedLine, kDetailLevel);
}

} // namespace limsbridge
