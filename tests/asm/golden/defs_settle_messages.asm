; Definitions settled at the end of a pass tell what is wrong with them
; where they stand: a name defined nowhere, also beside a name whose own
; definition fails; what is made of a failing definition says nothing more.
        cpu     8048
late    equ     first+nosuch    ; error: Symbol nicht definiert: nosuch
first   equ     1
made    equ     late+1
both    equ     broken+missing  ; error: Symbol nicht definiert: missing
broken  equ     nolabel         ; error: Symbol nicht definiert: nolabel
        mov     a,#made
