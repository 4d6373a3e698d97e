$MOD48
; Intel ASM48 convention: a quote inside quotes is written twice; DS and
; ORG $+n leave room.
        ORG     10H
        MOV     A,#''''         ; @0010 = 23 27
        DB      'IT''S', "A""B" ; = 49 54 27 53 41 22 42
        DS      2
        ORG     $+2
        DB      1               ; @001D = 01
        END
