#pragma once
// The stand-in session lives with the fixtures, so that the demo's builder zr-makedb-ora needs no test build.
#include "fixtures/standin_session.h"
