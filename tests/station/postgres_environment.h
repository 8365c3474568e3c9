#pragma once

#include "postgres_cluster.h"

namespace q470::test {

// The test program's private PostgreSQL server, started once before its first test and stopped after
// its last. Each test makes its own database in it.
PostgresCluster& Cluster();
// The connection string of a fresh database in it; empty when it could not be made.
std::string NewDatabaseTarget();

}  // namespace q470::test
