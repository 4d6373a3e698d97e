; ASxxxx convention: "=" may define a name again. What reads it between two
; definitions gets the earlier one, even when that one names something
; defined further on; the line that defines it again reads the earlier one too.
        .module rebound
        .area   CODE (ABS)
        c = fwd + 1
        mov     a,#c            ; @0000 = 23 04
        c = c * 2
        mov     a,#c            ; @0002 = 23 08
        fwd = 3
        mov     a,#c            ; @0004 = 23 08
