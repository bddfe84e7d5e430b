#pragma once
// The database tests are built twice: for the embedded engine and, with ZR_TEST_ON_SERVER, for the Firebird
// server on 127.0.0.1:3050. The server build gives its suites their own names, so that every test has a name
// of its own in the test list.

#ifdef ZR_TEST_ON_SERVER
#define ImportTest ImportTestOnServer
#define StatusTest StatusTestOnServer
#define StartupTest StartupTestOnServer
#define GuiTest GuiTestOnServer
#define WriteBehindEquivalence WriteBehindEquivalenceOnServer
#endif
