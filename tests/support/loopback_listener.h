// The listening socket of the tests' own servers (see test_socket.h, which
// holds it so that it builds on every system).
#pragma once

#include "support/test_socket.h"
