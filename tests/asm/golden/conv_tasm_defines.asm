; TASM convention, its preprocessor: a #DEFINE body over several lines
; joined by "\", #DEFINE'd names inside expressions with and without
; parameters, defines within defines, .FILL, blanks inside an expression.
#DEFINE BASE    10H
#DEFINE OFS(X)  (X+2)
#DEFINE HI(V)   (V>>8)
#DEFINE INIT    MOV A,#BASE \
                MOV R0,A \
                CLR C           ; three statements
#DEFINE TWICE(R) INC R \ INC R
#DEFINE SETP(P,V) MOV A,#V \ OUTL P,A
        .ORG    0
        MOV     A,#BASE+1       ; @0000 = 23 11
        MOV     R1,#OFS(3)      ; = B9 05
        MOV     R2,#OFS(BASE)*2 ; = BA 24
        MOV     R3,#HI($1234)   ; = BB 12
        INIT                    ; @0008 = 23 10 A8 97
        TWICE(R4)               ; @000C = 1C 1C
        ADD     A,#OFS(OFS(1))  ; = 03 05
        SETP(P1,OFS(4))         ; = 23 06 39
        .DB     OFS(1), BASE, HI(OFS($3FE)) ; = 03 10 04
        MOV     A,#(1 + 2) * 3  ; @0016 = 23 09
        .DB     "a,b"           ; = 61 2C 62
        .FILL   3, $A5          ; @001B = A5 A5 A5
        JMP     $               ; @001E = 04 1E
        .END
