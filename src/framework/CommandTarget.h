#pragma once

// Command routing without a window system. Each command target has a table of
// {id, handler, update handler} entries; a router asks the targets in order
// (active view, its document, child frame, main frame, application) and the first
// one whose table has the id handles it.

#include "framework/CmdUI.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace tervik {

class CCommandTarget {
public:
    virtual ~CCommandTarget() = default;
    // Runs the command (pUI null) or its update handler (pUI set); true when this
    // target knows the id.
    virtual bool OnCmdMsg(unsigned nId, CCmdUI* pUI) = 0;
};

// One line of a target's table. A missing handler leaves the command to the
// targets further down; a missing update handler means "enabled".
template <class T> struct CommandEntry {
    unsigned m_nId;
    void (T::*m_pfnCommand)();
    void (T::*m_pfnUpdate)(CCmdUI&);
};

template <class T, size_t N>
bool DispatchCommand(T& target, const CommandEntry<T> (&table)[N], unsigned nId, CCmdUI* pUI) {
    for (const CommandEntry<T>& e : table) {
        if (e.m_nId != nId) continue;
        if (pUI) {
            if (e.m_pfnUpdate)
                (target.*e.m_pfnUpdate)(*pUI);
            else if (!e.m_pfnCommand)
                continue; // only an update handler elsewhere counts
            else
                pUI->Enable(true);
            return true;
        }
        if (!e.m_pfnCommand) continue;
        (target.*e.m_pfnCommand)();
        return true;
    }
    return false;
}

// Asks the chain of targets, as it is at the moment of the call.
class CCommandRouter {
public:
    using ChainFn = std::function<std::vector<CCommandTarget*>()>;
    explicit CCommandRouter(ChainFn chain) : m_chain(std::move(chain)) {}

    // Runs the command; false when no target handles it.
    bool Execute(unsigned nId) const {
        for (CCommandTarget* t : m_chain())
            if (t && t->OnCmdMsg(nId, nullptr)) return true;
        return false;
    }
    // The state of a command: what the first target knowing it says; disabled
    // when nobody handles it.
    CCmdUI Update(unsigned nId) const {
        CCmdUI ui(nId);
        for (CCommandTarget* t : m_chain())
            if (t && t->OnCmdMsg(nId, &ui)) return ui;
        ui.Enable(false);
        return ui;
    }

private:
    ChainFn m_chain;
};

} // namespace tervik
