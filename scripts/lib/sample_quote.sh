# A sample print file as a VORN quoting program leaves it: an 80-column insurance quote of
# three 54-line pages (what a Letter page holds at 12 points), CR LF line ends, a form feed
# at the end of each page's last line.
# The last line of a print file is never printed, so the file ends with an empty line.

_sq_page_lines=54

# Prints one page: the body lines from stdin, padded with empty lines, and a footer line
# that ends with a form feed. Arguments: page number, page count.
_sq_page() {
  local page=$1 pages=$2 n=0 line
  while IFS= read -r line; do
    printf '%s\n' "$line"
    n=$((n + 1))
  done
  while ((n < _sq_page_lines - 2)); do
    printf '\n'
    n=$((n + 1))
  done
  printf '%s\n' "--------------------------------------------------------------------------------"
  printf '%-40s%40s\f\n' "Quote Q-2026-004417" "Page $page of $pages"
}

# Writes the sample quote to FILE.
write_sample_quote() {
  local file=$1
  {
    _sq_page 1 3 <<'EOF'
                          ORVALLE INSURANCE SERVICES
                    Personal Auto Insurance - Premium Quote
================================================================================
Quote number : Q-2026-004417                  Quote date : 12/07/2026
Agent        : Marta Lindqvist (A-2231)       Valid until: 01/06/2027
Program      : VORN Auto Rater 7.3            Term       : 12 months

APPLICANT
  Name       : Daniel R. Whitcombe
  Address    : 418 Larkspur Lane
               Fairhaven, MA 02719
  Telephone  : (508) 555-0143
  Occupation : Civil Engineer                Years at address: 6

POLICY PERIOD
  Effective  : 01/01/2027 12:01 AM           Expiration: 01/01/2028 12:01 AM
  Payment    : 10 monthly installments       Billing    : Electronic funds

DRIVERS
  No  Name                   Born        Licence         Yrs  Points  Status
  --  ---------------------  ----------  --------------  ---  ------  --------
   1  Daniel R. Whitcombe    03/14/1979  S48213377       28     0     Rated
   2  Helen M. Whitcombe     09/02/1981  S51190264       25     2     Rated
   3  Owen T. Whitcombe      11/23/2009  S77014551        1     0     Youthful

VEHICLES
  No  Year  Make / Model              VIN                 Use        Miles/yr
  --  ----  ------------------------  ------------------  ---------  --------
   1  2022  Subaru Outback Premium    4S4BTACC5N3104721   Commute      12,000
   2  2018  Honda Civic LX            2HGFC2F59JH540118   Pleasure      6,500

GARAGING
  Both vehicles are garaged at the applicant's address, Territory 12.

PRIOR INSURANCE
  Carrier    : Bayside Mutual                Policy     : BM-7731-0456
  Expires    : 01/01/2027                    Years      : 9
  Claims     : 1 comprehensive claim (glass), 04/2024, paid $412

DISCOUNTS APPLIED
  Multi-car                                                        -12.0 %
  Good student (driver 3)                                           -8.0 %
  Anti-theft device (vehicle 1)                                     -5.0 %
  Paperless billing                                                 -2.0 %
  Claim-free 5 years (driver 1)                                     -6.0 %
EOF
    _sq_page 2 3 <<'EOF'
COVERAGES AND LIMITS                                       Vehicle 1   Vehicle 2
--------------------------------------------------------------------------------
Bodily Injury Liability      $100,000 / $300,000           $  412.00   $  366.00
Property Damage Liability    $100,000 each accident        $  198.00   $  171.00
Personal Injury Protection   $8,000 statutory              $   64.00   $   58.00
Medical Payments             $5,000 each person            $   22.00   $   19.00
Uninsured Motorists          $100,000 / $300,000           $   71.00   $   63.00
Underinsured Motorists       $100,000 / $300,000           $   38.00   $   34.00
Collision                    $500 deductible               $  486.00   $  322.00
Comprehensive                $250 deductible               $  164.00   $   97.00
Substitute Transportation    $40 a day, 30 days            $   26.00   $   26.00
Towing and Labor             $100 each disablement         $    8.00   $    8.00
--------------------------------------------------------------------------------
Vehicle subtotal                                           $1,489.00   $1,164.00

PREMIUM SUMMARY
  Base premium, both vehicles                                         $2,653.00
  Youthful operator surcharge (driver 3, 1 year licensed)             $  611.00
  Minor violation surcharge (driver 2, 2 points)                      $  142.00
  Discounts                                                          -$  779.00
  Policy fee                                                          $   25.00
                                                                      ---------
  TOTAL 12-MONTH PREMIUM                                              $2,652.00

PAYMENT SCHEDULE
  Down payment due at binding                                         $  265.20
  Nine installments of                                                $  265.20
  Installment fee per payment                                         $    3.00

  Paid in full at binding instead: a 7.5 % paid-in-full credit of $198.90
  gives a total of $2,453.10.

NOTES
  1. Rates are based on the information given by the applicant and on the
     motor vehicle records ordered 12/07/2026. A change in drivers, vehicles,
     garaging or use may change the premium.
  2. The youthful operator surcharge is reviewed at each renewal; completing
     an approved driver training course earns a further 10 % credit on it.
  3. Glass claims under Comprehensive are paid without deductible.
EOF
    _sq_page 3 3 <<'EOF'
IMPORTANT INFORMATION
  This quote is not a binder and does not provide coverage. Coverage starts
  only when the company accepts the signed application and the down payment.

  Fraud warning: any person who knowingly presents a false or fraudulent
  claim for payment of a loss, or knowingly presents false information in an
  application for insurance, may be guilty of a crime and subject to fines
  and confinement in prison.

CHECKLIST FOR BINDING
  [ ] Signed application, pages 1 to 4
  [ ] Copy of the prior carrier's declarations page
  [ ] Anti-theft device certificate (vehicle 1)
  [ ] Good student form, school year 2026/27 (driver 3)
  [ ] Electronic funds authorisation, voided cheque attached
  [ ] Photo inspection of vehicle 2 within 7 days of binding



  ____________________________________        Date ____________________
  Applicant: Daniel R. Whitcombe



  ____________________________________        Date ____________________
  Agent: Marta Lindqvist, licence 2231-MA


  Questions about this quote: Orvalle Insurance Services, (555) 010-0000,
  Monday to Friday, 8:00 AM to 6:00 PM.
EOF
    # The final line: read, never printed.
    printf '\n'
  } | sed 's/$/\r/' >"$file"
}
