// The fixture every network test stands on: the local tools server.
#include "support/TempDir.h"
#include "support/ToolsServer.h"

#include <gtest/gtest.h>

using kestrova::test::TempDir;
using kestrova::test::ToolsServer;

TEST(ToolsServer, RecordsRequestsAndForgetsThemOnReset)
{
    TempDir root("packages");
    ToolsServer server(root.Path());
    EXPECT_EQ(server.ReceivedJson().size(), 0u);
    server.Control(R"({"path": "/Api/saveToolLog", "status": 500})");
    EXPECT_EQ(server.ReceivedJson().size(), 0u); // Control requests are not recorded.
    server.Reset();
    EXPECT_EQ(server.Received(), "[]");
}
