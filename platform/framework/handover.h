#pragma once
// What travels between a caller and the procedure it calls: the request it
// asks for, the response it gets, and a form's wish to move on to the next
// or previous record. One set for the whole program, shared by all threads
// (only one thread runs at a time).

namespace qv::fw {

namespace request {
constexpr int None = 0, Insert = 1, Change = 2, Delete = 3, Select = 4;
}
namespace response {
constexpr int None = 0, Completed = 1, Cancelled = 2;
}
namespace nav {
constexpr int None = 0, NextRecord = 2008, PreviousRecord = 2009;
}

struct Handover {
    int request = 0; // GLO:Request
    int response = 0; // GLO:Response
    int navRequest = 0; // GLO:NavRequest
    int navFocus = 0; // GLO:NavFocus: the control focused when navigation was asked for
};

Handover& handover();

} // namespace qv::fw
