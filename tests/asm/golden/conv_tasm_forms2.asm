; TASM convention, more forms: "*=" sets the location counter, a define
; called with a blank before "(", quotes inside quotes by backslash.
        .ORG    10H
#DEFINE OFS(X)  (X+2)
        MOV     A,#OFS (3)      ; @0010 = 23 05
        .DB     OFS (1), OFS(2) ; = 03 04
        .BLOCK  2
        *=      $+2
        .DB     1               ; @0018 = 01
        .TEXT   "a\"b"          ; = 61 22 62
        MOV     A,#'\''         ; = 23 27
        JMP     $               ; @001E = 04 1E
        .END
