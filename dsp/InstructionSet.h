#pragma once

// The vector instructions the DSP kernels may use, chosen at run time so that one library runs
// on any x86-64 machine and uses the widest registers the machine has. Every kernel gives the
// same samples on every set: wider vectors only run more lanes of the same IEEE operations, in
// the same order, and no multiply is fused with an add.
enum class InstructionSet { baseline, avx2, avx512 };

// The widest set this machine and its operating system run (baseline on 32-bit builds).
InstructionSet supportedInstructionSet();

// The set the kernels use now: the supported one unless limited below. Read once per block.
InstructionSet activeInstructionSet();

// Limits the kernels to `wanted`, or to what the machine supports when that is narrower, and
// returns the set in effect. For tests and benchmarks that compare the paths; call it while no
// audio is being processed.
InstructionSet limitInstructionSet(InstructionSet wanted);

const char* instructionSetName(InstructionSet set);
