#pragma once
// The test certificate authority lives with the server that presents its certificates.
#include "tests/support/test_server.h"
