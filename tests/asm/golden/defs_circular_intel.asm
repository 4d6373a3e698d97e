$MOD48
; Intel ASM48 convention: circular definitions by EQU and SET are errors
; naming the cycle.
X       EQU     Y               ; error: Zirkuläre Definition: X -> Y -> X
Y       EQU     X               ; error: Zirkuläre Definition: Y -> X -> Y
V       SET     V+1             ; error: Zirkuläre Definition: V -> V
        ORG     X
        JMP     Y
        END
