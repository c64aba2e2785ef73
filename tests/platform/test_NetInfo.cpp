// Host identity: the rules that turn the system's answers into the properties
// and the summary line, then the real lookup on this machine.
#include "platform/NetInfo.h"

#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

using namespace limsbridge;

// Readable failure messages for texts and lists of texts.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class FakeNetInfo : public NetInfo {
public:
    explicit FakeNetInfo(RawFacts facts) : m_facts(std::move(facts)) {}

protected:
    RawFacts readRawFacts() const override { return m_facts; }

private:
    RawFacts m_facts;
};

NetInfo::RawFacts typicalFacts() {
    NetInfo::RawFacts facts;
    facts.osFamily = "Linux";
    facts.osRelease = "6.1.0-18-amd64";
    facts.homeFolder = "/home/ann";
    facts.hostName = "lab-pc";
    facts.userName = "ann";
    facts.ipv4Address = "10.1.2.3";
    return facts;
}

} // namespace

TEST(NetInfo, EverythingIsEmptyBeforeTheLookup) {
    FakeNetInfo info(typicalFacts());
    EXPECT_TRUE(info.WinVersion().isEmpty());
    EXPECT_TRUE(info.WorkStation().isEmpty());
    EXPECT_TRUE(info.AllTextDump().isEmpty());
}

TEST(NetInfo, PropertiesAndSummary) {
    FakeNetInfo info(typicalFacts());
    info.GetNetInfo();
    EXPECT_EQ(info.WinVersion(), "Linux");
    EXPECT_EQ(info.WinBuild(), "6.1.0");
    EXPECT_EQ(info.WinDirectory(), "/home/ann");
    EXPECT_EQ(info.WorkStation(), "lab-pc");
    EXPECT_EQ(info.NetUser(), "ann");
    EXPECT_EQ(info.IPAddrs(), "10.1.2.3");
    EXPECT_EQ(info.AllTextDump(),
              "Linux 6.1.0, IP Address = 10.1.2.3, Workstation = lab-pc, Network User = ann");
}

TEST(NetInfo, SummaryWithoutNetworkKeepsEveryPart) {
    NetInfo::RawFacts facts = typicalFacts();
    facts.ipv4Address.clear();
    FakeNetInfo info(facts);
    info.GetNetInfo();
    EXPECT_EQ(info.IPAddrs(), "");
    EXPECT_EQ(info.AllTextDump(), "Linux 6.1.0, IP Address = , Workstation = lab-pc, Network User = ann");
}

TEST(NetInfo, UnreadableComputerNameAndSystem) {
    NetInfo::RawFacts facts = typicalFacts();
    facts.hostName.clear();
    facts.osFamily.clear();
    facts.osRelease.clear();
    FakeNetInfo info(facts);
    info.GetNetInfo();
    EXPECT_EQ(info.WorkStation(), "?");
    EXPECT_EQ(info.WinVersion(), "Unknown");
    EXPECT_EQ(info.WinBuild(), "");
    EXPECT_EQ(info.AllTextDump(), "Unknown , IP Address = 10.1.2.3, Workstation = ?, Network User = ann");
}

TEST(NetInfo, UserNameLimit) {
    struct Row {
        const char* name;
        const char* user;
        const char* expected;
    };
    const Row rows[] = {
        {"empty", "", ""},
        {"short", "ann", "ann"},
        {"24 characters", "abcdefghijklmnopqrstuvwx", "abcdefghijklmnopqrstuvwx"},
        {"25 characters", "abcdefghijklmnopqrstuvwxy", ""},
        {"much longer", "a.very.long.domain.user.name.indeed", ""},
    };
    for (const Row& row : rows) {
        NetInfo::RawFacts facts = typicalFacts();
        facts.userName = row.user;
        FakeNetInfo info(facts);
        info.GetNetInfo();
        EXPECT_EQ(info.NetUser(), row.expected) << row.name;
        EXPECT_TRUE(info.AllTextDump().endsWith(", Network User = " + QString(row.expected))) << row.name;
    }
}

TEST(NetInfo, BuildNumbersFromTheKernelRelease) {
    struct Row {
        const char* release;
        const char* build;
    };
    const Row rows[] = {
        {"6.1.0-18-amd64", "6.1.0"}, {"5.15.153.1-microsoft-standard-WSL2", "5.15.153"},
        {"4.19", "4.19.0"},          {"6", "6.0.0"},
        {"06.01.002", "6.1.2"},      {"6.8.0+rc1", "6.8.0"},
    };
    for (const Row& row : rows) {
        NetInfo::RawFacts facts = typicalFacts();
        facts.osRelease = row.release;
        FakeNetInfo info(facts);
        info.GetNetInfo();
        EXPECT_EQ(info.WinBuild(), row.build) << row.release;
    }
}

TEST(NetInfo, RealLookupOnThisMachine) {
    NetInfo info;
    info.GetNetInfo();

    char host[257] = {};
    ASSERT_EQ(gethostname(host, 256), 0);
    EXPECT_EQ(info.WorkStation(), QString::fromLocal8Bit(host));
    EXPECT_EQ(info.WinVersion(), "Linux");
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(info.WinBuild()).hasMatch())
        << info.WinBuild().toStdString();
    EXPECT_EQ(info.WinDirectory(), QDir::homePath());

    const passwd* user = getpwuid(geteuid());
    ASSERT_NE(user, nullptr);
    const QString name = QString::fromLocal8Bit(user->pw_name);
    EXPECT_EQ(info.NetUser(), name.size() > 24 ? QString() : name);

    // The address depends on the machine's resolver; when there is one it is dotted IPv4.
    if (!info.IPAddrs().isEmpty()) {
        EXPECT_TRUE(QRegularExpression("^\\d{1,3}(\\.\\d{1,3}){3}$").match(info.IPAddrs()).hasMatch())
            << info.IPAddrs().toStdString();
    }
    EXPECT_EQ(info.AllTextDump(),
              info.WinVersion() + " " + info.WinBuild() + ", IP Address = " + info.IPAddrs() +
                  ", Workstation = " + info.WorkStation() + ", Network User = " + info.NetUser());
}
