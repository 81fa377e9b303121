#pragma once

// The widest instruction set the convolution may use. By default the widest the
// processor has; tests lower it to check the narrower paths against the reference
// on a machine that would otherwise never run them. Not meant to be changed while
// an operation runs.
class KernelIsa
{
public:
    enum Level { Scalar, Avx2, Avx512 };

    static void setCeiling(Level level);
    static Level ceiling();
};
