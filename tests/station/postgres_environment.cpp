#include "postgres_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace q470::test {
namespace {

std::unique_ptr<PostgresCluster> cluster;

class ClusterEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        // The tests name every part of their connections; nothing of the caller's environment may add
        // a password or another server.
        for (const char* name : {"PGPASSWORD", "PGPASSFILE", "PGSERVICE", "PGSERVICEFILE", "PGHOST", "PGHOSTADDR",
                                 "PGPORT", "PGDATABASE", "PGUSER", "PGOPTIONS", "PGSSLMODE"})
            unsetenv(name);
        cluster = std::make_unique<PostgresCluster>();
        ASSERT_TRUE(cluster->Running()) << cluster->Problem();
    }
    void TearDown() override { cluster.reset(); }
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new ClusterEnvironment);

}  // namespace

PostgresCluster& Cluster() {
    return *cluster;
}

std::string NewDatabaseTarget() {
    const std::string name = cluster->NewDatabase();
    return name.empty() ? name : cluster->Target(name);
}

}  // namespace q470::test
