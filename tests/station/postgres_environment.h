#pragma once

#include "postgres_cluster.h"

namespace q470::test {

// The test program's private PostgreSQL server, started once before its first test and stopped after
// its last. Each test makes its own database in it.
PostgresCluster& Cluster();

}  // namespace q470::test
