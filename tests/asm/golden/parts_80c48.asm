; The CMOS parts: the 8048's set with idl.
        cpu     80C48
        idl                     ; = 01
        clr     f0              ; = 85
        cpu     80C50
        idl                     ; = 01
        cpu     8048
        idl                     ; error: Syntaxfehler
