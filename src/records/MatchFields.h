// The match's record field by field: the one list that the trace and the checksum both walk, in
// the record's order and under the names the trace gives them. A field added to the record is
// added here too, or a test fails.
#pragma once

#include "records/BasCmnDef.h"

// Calls Visit(Name, Field) for every field of a character.
template <typename Record, typename Visitor> void ForEachPlayerField(Record &P, Visitor &&Visit) {
    Visit("Side", P.Side);
    Visit("Control", P.Control);
    Visit("KeySet", P.KeySet);
    Visit("State", P.State);
    Visit("Phase", P.Phase);
    Visit("AnimFrame", P.AnimFrame);
    Visit("Spent", P.Spent);
    Visit("RunSpeed", P.RunSpeed);
    Visit("JumpSpeed", P.JumpSpeed);
    Visit("Stat3", P.Stat3);
    Visit("Power", P.Power);
    Visit("X", P.X);
    Visit("Y", P.Y);
    Visit("OldX", P.OldX);
    Visit("OldY", P.OldY);
    Visit("VX", P.VX);
    Visit("VY", P.VY);
    Visit("CellX", P.CellX);
    Visit("CellY", P.CellY);
    Visit("MaskX", P.MaskX);
    Visit("Slot", P.Slot);
    Visit("BackDir", P.BackDir);
    Visit("Tick", P.Tick);
    Visit("Tick2", P.Tick2);
    Visit("InUp", P.InUp);
    Visit("InDown", P.InDown);
    Visit("InBack", P.InBack);
    Visit("InFront", P.InFront);
    Visit("InHit", P.InHit);
    Visit("ComboBack", P.ComboBack);
    Visit("ComboFront", P.ComboFront);
    Visit("GaugeColor", P.GaugeColor);
    Visit("FlashCount", P.FlashCount);
}

// Calls Visit(Name, Field) for every field of a side.
template <typename Record, typename Visitor> void ForEachTeamField(Record &T, Visitor &&Visit) {
    Visit("Score", T.Score);
    Visit("Members", T.Members);
}

// Calls Visit(Name, Field) for every field of the match besides its characters and sides, named as
// the game's globals.
template <typename Record, typename Visitor> void ForEachBallField(Record &M, Visitor &&Visit) {
    Visit("Gl_BallX", M.BallX);
    Visit("Gl_BallY", M.BallY);
    Visit("Gl_BallVX", M.BallVX);
    Visit("Gl_BallVY", M.BallVY);
    Visit("Gl_BallKind", M.BallKind);
    Visit("Gl_BallCell", M.BallCell);
    Visit("Gl_BallAnim", M.BallAnim);
    Visit("Gl_PointWinner", M.PointWinner);
    Visit("Gl_PointDelay", M.PointDelay);
    Visit("Gl_ServeSide", M.ServeSide);
    Visit("Gl_Blink", M.Blink);
}
