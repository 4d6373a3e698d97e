; TASM convention: #DEFINE, .EQU and .equ that define each other in a
; circle are reported with the cycle they make.
#DEFINE X       Y               ; error: Zirkuläre Definition: X -> Y -> X
#DEFINE Y       X               ; error: Zirkuläre Definition: Y -> X -> Y
A       .EQU    B+1             ; error: Zirkuläre Definition: A -> B -> A
B       .EQU    A               ; error: Zirkuläre Definition: B -> A -> B
c       .equ    c               ; error: Zirkuläre Definition: c -> c
        .ORG    X
        JMP     A
