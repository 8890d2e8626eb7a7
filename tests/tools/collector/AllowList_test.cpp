// The --allow networks: what is read as a network, and which peers it lets
// in.
#include "tools/collector/AllowList.h"

#include <gtest/gtest.h>

#include "tools/collector/CollectorOptions.h"

namespace tools::collector {
namespace {

TEST(CollectorAllowList, ReadsAddressesAndNetworks) {
  auto n = AllowList::parseNet("10.1.2.3/8");
  ASSERT_TRUE(n);
  EXPECT_EQ(n->address, 0x0a010203u);
  EXPECT_EQ(n->prefix, 8);
  n = AllowList::parseNet("192.168.0.7");
  ASSERT_TRUE(n);
  EXPECT_EQ(n->prefix, 32);
  EXPECT_TRUE(AllowList::parseNet("0.0.0.0/0"));
  EXPECT_TRUE(AllowList::parseNet("255.255.255.255/32"));
  for (const char* bad : {"", "10", "10.0.0", "10.0.0.0.0", "10.0.0.256", "10.0.0.0/33",
                          "10.0.0.0/", "10.0.0.0/-1", "10.0.0.0/8/8", "10.0.0.0/ 8", "a.b.c.d",
                          "10.0.0.1:80", "0010.0.0.1", " 10.0.0.1", "10..0.1", "host.example"}) {
    EXPECT_FALSE(AllowList::parseNet(bad)) << bad;
  }
}

TEST(CollectorAllowList, AllowsOnlyPeersInItsNetworks) {
  AllowList list;
  EXPECT_TRUE(list.allows("203.0.113.9:4000"));  // empty: everyone
  EXPECT_TRUE(list.allows("?"));
  list.add(*AllowList::parseNet("10.0.0.0/8"));
  list.add(*AllowList::parseNet("192.168.5.17"));
  EXPECT_TRUE(list.allows("10.0.0.1:5000"));
  EXPECT_TRUE(list.allows("10.255.255.255:1"));
  EXPECT_FALSE(list.allows("11.0.0.1:5000"));
  EXPECT_FALSE(list.allows("9.255.255.255:5000"));
  EXPECT_TRUE(list.allows("192.168.5.17:80"));
  EXPECT_FALSE(list.allows("192.168.5.18:80"));
  EXPECT_FALSE(list.allows("?"));  // an unknown peer is never taken for an allowed one
  AllowList odd;
  odd.add(*AllowList::parseNet("172.16.0.0/12"));
  EXPECT_TRUE(odd.allows("172.31.255.1:1"));
  EXPECT_FALSE(odd.allows("172.32.0.1:1"));
  AllowList all;
  all.add(*AllowList::parseNet("0.0.0.0/0"));
  EXPECT_TRUE(all.allows("8.8.4.4:53"));
}

TEST(CollectorOptionsParse, AllowAndMaxStore) {
  std::string error;
  auto o = CollectorOptions::parse(
      {"--store", "s", "--allow", "10.0.0.0/8", "--allow", "127.0.0.1", "--max-store", "1000"},
      &error);
  ASSERT_TRUE(o) << error;
  EXPECT_TRUE(o->allow.allows("127.0.0.1:1"));
  EXPECT_TRUE(o->allow.allows("10.9.9.9:1"));
  EXPECT_FALSE(o->allow.allows("127.0.0.2:1"));
  EXPECT_EQ(o->maxStore, 1000);
  o = CollectorOptions::parse({"--store", "s"}, &error);
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->allow.empty());
  EXPECT_EQ(o->maxStore, -1);

  EXPECT_FALSE(CollectorOptions::parse({"--store", "s", "--allow", "10.0.0.0/40"}, &error));
  EXPECT_NE(error.find("--allow"), std::string::npos) << error;
  EXPECT_NE(error.find("10.0.0.0/40"), std::string::npos) << error;
  EXPECT_FALSE(CollectorOptions::parse({"--store", "s", "--allow"}, &error));
  EXPECT_FALSE(CollectorOptions::parse({"--store", "s", "--max-store", "-5"}, &error));
  EXPECT_FALSE(CollectorOptions::parse({"--store", "s", "--max-store", "1k"}, &error));
}

}  // namespace
}  // namespace tools::collector
