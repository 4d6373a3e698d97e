; SB-Assembler convention: circular definitions by .EQ are errors naming
; the cycle.
        .CR     8048
        .OR     $000
FIRST   .EQ     SECOND          ; error: Zirkuläre Definition: FIRST -> SECOND -> FIRST
SECOND  .EQ     FIRST           ; error: Zirkuläre Definition: SECOND -> FIRST -> SECOND
SELF    .EQ     SELF+1          ; error: Zirkuläre Definition: SELF -> SELF
        JMP     FIRST
        .OR     SELF
