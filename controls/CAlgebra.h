#pragma once

// The measure page's channel operator: a value combined with the channel's
// constant. Divide has no zero test on purpose: the IEEE result (inf/nan)
// is what the user sees for a constant of 0.
class CAlgebra {
public:
    double Add(double value, double operand) { return value + operand; }
    double Subtract(double value, double operand) { return value - operand; }
    double Multiply(double value, double operand) { return value * operand; }
    double Divide(double value, double operand) { return value / operand; }
    double Zero(double, double) { return 0.0; }

    using Operation = double (CAlgebra::*)(double, double);
    // 0 add, 1 subtract, 2 multiply, 3 divide; any other index adds.
    static Operation OperatorFor(int index)
    {
        switch (index) {
        case 1: return &CAlgebra::Subtract;
        case 2: return &CAlgebra::Multiply;
        case 3: return &CAlgebra::Divide;
        default: return &CAlgebra::Add;
        }
    }
};
