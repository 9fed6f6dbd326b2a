// port!: an object of three fields (spec, scheme, actor) whose behaviour is
// its scheme's actor. The datatype builds ports and prints them; every
// series and I/O action applied to a port calls the actor's function of the
// same name with the action's arguments in the order of the action's spec.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// make port! spec: an object, or a block made into one (over the system's
// port-spec template when there is one); its scheme is looked up in the
// system's schemes object and the scheme's actor copied into the port.
// Access no-scheme, unknown-scheme or invalid-actor when that fails.
Cell* port_make(Cell* proto, Cell* spec, int type);
int port_form(Cell* value, Cell* buffer, Cell* arg, int part);
int port_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
              int indent);

// The actions a port forwards to its actor.
bool port_forwards(int slot);
// The stack-level body of a forwarded action whose first argument is a
// port: the actor's function of the action's name is called with the
// frame's arguments (refinements as flags followed by their arguments), its
// missing arguments none. read runs open, copy and close; write open,
// insert and close. Access invalid-port when the actor is not an object!,
// no-port-action when it lacks the function.
uint32_t port_forward(int slot, const int32_t* refs);

} // namespace xel
