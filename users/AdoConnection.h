// The connection to the account database. The main window holds one for its whole life; nothing
// in the program opens it, so it has no operations.
#pragma once

class CAdoConnection {};
