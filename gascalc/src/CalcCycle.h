// The calculation cycle: once per cycle command, inside the tree access and after the
// preprocessing pass, on the initial task.
#pragma once

// Reloads the step parameters when the tree changed since the last reload (the first cycle
// always reloads), then runs the calculation steps in their fixed order.
void RunCalcCycle();

// The set-up work of every step, in order: the taste's role nodes and the message nodes, the
// optional output handles, then the method parameters. Called by RunCalcCycle only.
void ReloadStepParameters();

// Publishes the group of outputs just written (FbDo_CommitPreprocessing of the program's tree;
// the result is not used). Called by the steps after each group of outputs.
void FinishTreeCycle();
