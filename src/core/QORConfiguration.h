// The configuration store: a flat table of text values addressed by key paths
// such as "OPTIONS\LOG_VERBOSITY", backed by one XML file. Owners define their
// keys with defaults at startup, the file is read over the defaults, code
// reads and writes values by key, and the whole table is written back on
// request, optionally with the key data encrypted.
#pragma once

#include "core/HashTable.h"

#include <QDomDocument>
#include <QDomElement>
#include <QString>

#include <span>

namespace limsbridge {

class QORLoggerTXT;

class QORConfiguration {
public:
    QORConfiguration();

    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path.trimmed(); }
    //! Where the store logs; not owned. Set it before ReadConfig.
    void setLogHandler(QORLoggerTXT* logger) { m_logger = logger; }
    bool EncryptData() const { return m_encryptData; }
    void setEncryptData(bool encrypt) { m_encryptData = encrypt; }

    //! True when the key is defined; the key is compared as given, in upper case.
    bool ItemExists(const QString& key) const;
    //! The value of the key (upper-cased first); error 10781 for a key that
    //! was never defined.
    QString item(const QString& key) const;
    //! Replaces the value and sets ChangeWasMade; an undefined key raises
    //! error 10781 and changes nothing, so a write never creates a key.
    void setItem(const QString& key, const QString& value);
    bool ChangeWasMade() const { return m_changeWasMade; }
    void setChangeWasMade(bool changed) { m_changeWasMade = changed; }

    //! Reads the file over the table; creates a default file when none exists.
    bool ReadConfig();
    //! Writes the whole table to the file, encrypted when EncryptData is set.
    bool SaveConfig();
    //! Defines a key with its default; a key already defined stays as it is.
    void DefineTree(const QString& key, const QString& defaultText);

    //! One entry of an owner's key catalogue, as UTF-8 texts.
    struct KeyDefault {
        const char* key;
        const char* defaultText;
    };
    //! Defines every key of a catalogue in its order, as DefineTree does one,
    //! so that owners can keep their keys in a constexpr table.
    void DefineTree(std::span<const KeyDefault> catalogue);
    //! Lists every key and value in the log, from verbosity 2 on.
    void dumpConfiguration();
    //! Loads the file into the store's document.
    bool LoadXML(const QString& path);
    //! Saves the document to the file; the old file is replaced only by a
    //! completely written new one.
    bool SaveXML(const QDomDocument& document, const QString& path);
    //! Checks the layout and decrypts the data node when it is encrypted.
    bool ValidateXMLformat(QDomDocument& document);

private:
    bool saveConfig(bool allowEncryption);
    bool copyTableToTree(QDomDocument& document, QDomElement& data);
    bool copyTreeToTable(QDomElement& data);
    bool decryptData(QDomDocument& document, QDomElement& data);
    bool encryptData(QDomDocument& document, QDomElement& data);
    void log(const QString& text, int level) const;
    void logXmlFailure(const QString& what, const QString& details) const;

    QString m_path;
    HashTable<QString> m_keys;
    QDomDocument m_document;
    QDomElement m_dataNode;
    QORLoggerTXT* m_logger = nullptr;
    bool m_encryptData = false;
    bool m_changeWasMade = false;
    QString m_passPhrase;
};

} // namespace limsbridge
