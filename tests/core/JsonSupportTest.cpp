// The manifest reader the fixture tests rely on.
#include <gtest/gtest.h>

#include "support/Json.h"
#include "support/TestSupport.h"

TEST(ManifestReader, ParsesTheFixtureManifests)
{
    Json hudson = Json::ParseFile(FixturesDir() + "/hudson.manifest.json");
    EXPECT_EQ(hudson["format"].AsString(), "Hudson");
    EXPECT_EQ(hudson["msginfo"]["high"].AsInt(), 12);
    ASSERT_GT(hudson["letters"].Size(), 0u);
    EXPECT_EQ(hudson["letters"][0]["from_"].AsString(), "John Smith");
    Json j = Json::Parse(R"({"a":[1,"\u0416\n",true,null],"b":{}})");
    EXPECT_EQ(j["a"][1].AsString(), "Ж\n");
    EXPECT_TRUE(j["a"][3].IsNull());
    EXPECT_TRUE(j["missing"].IsNull());
    EXPECT_THROW(Json::Parse("{\"a\":}"), std::runtime_error);
}
