; ASxxxx convention: circular definitions by .equ and "=" are errors
; naming the cycle.
        .module cycles
        .area   CODE (ABS)
        .equ    x, y            ; error: Zirkuläre Definition: x -> y -> x
        .equ    y, x            ; error: Zirkuläre Definition: y -> x -> y
        z = z                   ; error: Zirkuläre Definition: z -> z
        a = b                   ; error: Zirkuläre Definition: a -> b -> a
        b = a                   ; error: Zirkuläre Definition: b -> a -> b
        .org    x
        jmp     z
