// What the match window asks of an online session, which runs the screens in its own way while it
// lasts: the select screen shared by both machines, the match with rollback, and the notices. The
// local game has none, and the browser's game cannot have one.
#pragma once

#include <cstdint>

class OnlineFlow {
  public:
    // A session is starting or on. Once it has ended, the game is the local game again.
    virtual bool Active() const = 0;
    // A server is known: the title offers ONLINE.
    virtual bool ServerKnown() const = 0;
    // The title's ONLINE: the online window asks how to meet. True when a session is to start
    // (Active from then on), false to show the title again.
    virtual bool ChooseOnline() = 0;
    // In place of the title and the select screen: starts the session if it has not started, says
    // why it ended if it has, and runs the shared select screen. True with a line-up chosen for a
    // match of the session; false when the match window should go to its local title.
    virtual bool PrepareMatch() = 0;
    // Starts the match both machines play.
    virtual void BeginMatch() = 0;
    // The match timer's tick. False once the match is over on both machines (won, left with
    // Escape, stopped for a difference) or the session has ended.
    virtual bool MatchTick() = 0;
    // Space and Escape in the match. False when the key ended the match.
    virtual bool MatchKey(int16_t KeyCode) = 0;
    // Milliseconds to the next tick: the side that runs ahead slows down a little.
    virtual uint32_t TickInterval() const = 0;
    // How many watch the match through the server (0 without one).
    virtual int Watchers() const { return 0; }

  protected:
    ~OnlineFlow() = default;
};
